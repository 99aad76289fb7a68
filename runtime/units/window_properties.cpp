// Stored form of the window's property data.
#include "window_properties.h"

#include <cstring>

namespace imprinta::units {

int WindowChoiceMax(int property) {
    switch (property) {
    case kWpBorderStyle: return 6;
    case kWpBackPictureMode: return 3;
    case kWpPlayCount: return 2;
    case kWpStartPosition: return 3;
    case kWpShape: return 29;
    default: return -1;
    }
}

int ClampChoice(int v, int max) { return v < 0 ? 0 : v > max ? max : v; }

namespace {

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : p_(data), left_(size) {}
    bool Word(uint32_t& v) {
        if (left_ < 4) return false;
        v = uint32_t(p_[0]) | uint32_t(p_[1]) << 8 | uint32_t(p_[2]) << 16 | uint32_t(p_[3]) << 24;
        p_ += 4;
        left_ -= 4;
        return true;
    }
    bool Int(int32_t& v) {
        uint32_t w;
        if (!Word(w)) return false;
        v = static_cast<int32_t>(w);
        return true;
    }
    bool Choice(int32_t& v, int max) {
        if (!Int(v)) return false;
        v = ClampChoice(v, max);
        return true;
    }
    bool Logical(bool& v) {
        uint32_t w;
        if (!Word(w)) return false;
        v = w != 0;
        return true;
    }
    // A count that claims more bytes than are left is damage, not a size to allocate.
    bool Bytes(std::vector<uint8_t>& v) {
        uint32_t n;
        if (!Word(n) || n > left_) return false;
        v.assign(p_, p_ + n);
        p_ += n;
        left_ -= n;
        return true;
    }
    bool Text(std::string& v) {
        uint32_t n;
        if (!Word(n) || n > left_) return false;
        // A stored text ends at its first 0 byte, as the texts handed out do.
        const uint8_t* end = static_cast<const uint8_t*>(std::memchr(p_, 0, n));
        v.assign(reinterpret_cast<const char*>(p_), end ? size_t(end - p_) : n);
        p_ += n;
        left_ -= n;
        return true;
    }

private:
    const uint8_t* p_;
    size_t left_;
};

class Writer {
public:
    void Word(uint32_t v) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    void Bytes(const uint8_t* data, size_t n) {
        Word(static_cast<uint32_t>(n));
        out.insert(out.end(), data, data + n);
    }
    std::vector<uint8_t> out;
};

}  // namespace

bool LoadWindowProperties(const uint8_t* data, size_t size, WindowProperties& p) {
    p.Reset();
    if (!data || size < 1) return true;
    Reader r(data, size);
    uint32_t version;
    if (!r.Word(version) || version > kWindowDataVersion) return false;
    bool ok = r.Choice(p.borderStyle, 6) && r.Choice(p.backPictureMode, 3) && r.Word(p.backColor) &&
              r.Logical(p.maxButton) && r.Logical(p.minButton) && r.Logical(p.controlBox) &&
              r.Choice(p.startPosition, 3) && r.Logical(p.movable) && r.Choice(p.playCount, 2) &&
              r.Logical(p.enterMovesFocus) && r.Logical(p.escCloses) && r.Logical(p.f1Help) &&
              r.Int(p.helpContext);
    if (ok && version >= 2) ok = r.Logical(p.showInTaskbar);
    if (ok && version >= 3) ok = r.Logical(p.dragAnywhere) && r.Choice(p.shape, 29);
    if (ok && version >= 4) ok = r.Logical(p.alwaysOnTop);
    if (ok && version >= 5) ok = r.Logical(p.keepTitleActive);
    if (ok && version >= 6) ok = r.Text(p.className);
    ok = ok && r.Bytes(p.backPicture) && r.Bytes(p.icon) && r.Bytes(p.backMusic) && r.Text(p.caption) &&
         r.Text(p.helpFile);
    if (!ok) p.Reset();
    return ok;
}

std::vector<uint8_t> SaveWindowProperties(const WindowProperties& p) {
    Writer w;
    auto text = [&](const std::string& s) {
        w.Bytes(reinterpret_cast<const uint8_t*>(s.data()), s.size());
    };
    auto bytes = [&](const std::vector<uint8_t>& v) { w.Bytes(v.data(), v.size()); };
    w.Word(kWindowDataVersion);
    w.Word(uint32_t(p.borderStyle));
    w.Word(uint32_t(p.backPictureMode));
    w.Word(p.backColor);
    w.Word(p.maxButton);
    w.Word(p.minButton);
    w.Word(p.controlBox);
    w.Word(uint32_t(p.startPosition));
    w.Word(p.movable);
    w.Word(uint32_t(p.playCount));
    w.Word(p.enterMovesFocus);
    w.Word(p.escCloses);
    w.Word(p.f1Help);
    w.Word(uint32_t(p.helpContext));
    w.Word(p.showInTaskbar);
    w.Word(p.dragAnywhere);
    w.Word(uint32_t(p.shape));
    w.Word(p.alwaysOnTop);
    w.Word(p.keepTitleActive);
    text(p.className);
    bytes(p.backPicture);
    bytes(p.icon);
    bytes(p.backMusic);
    text(p.caption);
    text(p.helpFile);
    return std::move(w.out);
}

}  // namespace imprinta::units
