// Form-template reader and writer.
#include "runtime/base/template_format.h"
#include <cstring>
#include <span>
#include "runtime/base/byte_reader.h"

namespace imprinta::forms {

namespace {

// The template's fields over the byte reader: each read reports whether the
// bytes were there (the reader's failure flag stays set after the first miss).
class Cursor {
public:
    Cursor(const uint8_t* data, size_t size) : r_(data, size) {}
    explicit Cursor(std::span<const uint8_t> data) : r_(data) {}
    size_t left() const { return r_.Remaining(); }
    bool U32(uint32_t& v) {
        const uint32_t read = r_.ReadU32();
        if (!r_.ok()) return false;
        v = read;
        return true;
    }
    bool I32(int32_t& v) {
        uint32_t u;
        if (!U32(u)) return false;
        v = static_cast<int32_t>(u);
        return true;
    }
    bool Bytes(size_t n, std::span<const uint8_t>& out) {
        out = r_.ReadBytes(n);
        return r_.ok();
    }
    // A 32-bit length followed by that many bytes.
    bool Block(std::span<const uint8_t>& out) {
        uint32_t n;
        return U32(n) && Bytes(n, out);
    }
    bool CountedText(std::string& s) {
        std::span<const uint8_t> b;
        if (!Block(b)) return false;
        s.assign(reinterpret_cast<const char*>(b.data()), b.size());
        return true;
    }
    // A 0-terminated text; the terminator must lie inside the data.
    bool CText(std::string& s) {
        ByteReader scan = r_;
        size_t n = 0;
        for (;; ++n) {
            if (!scan.Has(1)) return false;
            if (scan.ReadU8() == 0) break;
        }
        std::span<const uint8_t> text = r_.ReadBytes(n);
        r_.Skip(1);
        s.assign(reinterpret_cast<const char*>(text.data()), n);
        return true;
    }
    bool Rest(std::vector<uint8_t>& out) {
        std::span<const uint8_t> rest = r_.ReadRest();
        out.assign(rest.begin(), rest.end());
        return true;
    }

private:
    ByteReader r_;
};

bool ParseMenuRecord(Cursor& c, UnitRecord& r) {
    uint32_t object, handler;
    if (!c.U32(object) || !c.U32(r.menuWord) || !c.U32(r.menuFlags) || !c.CText(r.caption) || !c.U32(handler))
        return false;
    r.clickHandler = handler;
    return c.Rest(r.block);
}

bool ParseUnitRecord(Cursor& c, UnitRecord& r) {
    uint32_t object, cursor, childCount, bindingCount;
    std::span<const uint8_t> bytes;
    if (!c.U32(object) || !c.I32(r.left) || !c.I32(r.top) || !c.I32(r.width) || !c.I32(r.height) ||
        !c.U32(cursor) || !c.U32(r.parent) || !c.U32(childCount))
        return false;
    if (childCount > c.left() / 4) return false;
    r.children.resize(childCount);
    for (auto& id : r.children) c.U32(id);
    if (!c.Block(bytes)) return false;
    r.pointerData.assign(bytes.begin(), bytes.end());
    if (!c.CText(r.tag) || !c.U32(r.reserved2) || !c.U32(r.flags) || !c.U32(r.tabOrder) || !c.U32(bindingCount))
        return false;
    if (bindingCount > c.left() / 8) return false;
    r.bindings.resize(bindingCount);
    for (auto& b : r.bindings) {
        uint32_t handler = 0;
        if (!c.I32(b.event) || !c.U32(handler)) return false;
        b.handler = handler;
    }
    if (!c.Bytes(20, bytes)) return false;
    std::memcpy(r.reserved3.data(), bytes.data(), 20);
    return c.Rest(r.block);
}

bool ParseRecord(std::span<const uint8_t> data, uint32_t id, UnitRecord& r) {
    Cursor c(data);
    r.id = id;
    r.menu = IsMenuItemId(id);
    if (!c.U32(r.type) || !c.U32(r.eventLink)) return false;
    for (auto& w : r.reserved1)
        if (!c.U32(w)) return false;
    if (!c.CText(r.name) || !c.CText(r.remark)) return false;
    return r.menu ? ParseMenuRecord(c, r) : ParseUnitRecord(c, r);
}

TemplateError ParseUnitTable(std::span<const uint8_t> table, uint32_t count, TemplateWindow& w) {
    if (count == 0) return TemplateError::NoWindowRecord;
    if (count > table.size() / 8) return TemplateError::UnitCountBeyondTable;
    Cursor ids(table.first(size_t(count) * 4));
    Cursor offsets(table.subspan(size_t(count) * 4, size_t(count) * 4));
    const std::span<const uint8_t> area = table.subspan(size_t(count) * 8);
    w.units.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t id = 0, offset = 0, length = 0;
        ids.U32(id);
        offsets.U32(offset);
        if (!IsValidUnitId(id)) return TemplateError::BadUnitId;
        if (offset > area.size() || area.size() - offset < 4) return TemplateError::RecordOffset;
        Cursor rec(area.subspan(offset));
        rec.U32(length);
        if (length > rec.left()) return TemplateError::RecordLength;
        if (!ParseRecord(area.subspan(offset + 4, length), id, w.units[i])) return TemplateError::TruncatedRecord;
    }
    return TemplateError::None;
}

}  // namespace

const char* TemplateErrorText(TemplateError error) {
    switch (error) {
    case TemplateError::None: return "read";
    case TemplateError::TruncatedIndex: return "truncated window index";
    case TemplateError::IndexSize: return "window index size not a multiple of 8";
    case TemplateError::TruncatedWindow: return "truncated window record";
    case TemplateError::NoWindowRecord: return "window without its own record";
    case TemplateError::UnitCountBeyondTable: return "unit count beyond the unit table";
    case TemplateError::BadUnitId: return "unit id outside the id classes";
    case TemplateError::RecordOffset: return "record offset outside the record area";
    case TemplateError::RecordLength: return "record length beyond the record area";
    case TemplateError::TruncatedRecord: return "truncated unit record";
    case TemplateError::TrailingData: return "data after the last window";
    }
    return "unknown template error";
}

TemplateError ParseTemplates(const uint8_t* data, size_t size, std::vector<TemplateWindow>& out) {
    out.clear();
    Cursor c(data, size);
    std::span<const uint8_t> index;
    if (!c.Block(index)) return TemplateError::TruncatedIndex;
    if (index.size() % 8 != 0) return TemplateError::IndexSize;
    Cursor ids(index);
    std::vector<TemplateWindow> windows(index.size() / 8);
    for (auto& w : windows) {
        ids.U32(w.id);
        uint32_t unitCount;
        std::span<const uint8_t> table;
        if (!c.U32(w.word1) || !c.U32(w.word2) || !c.CountedText(w.name1) || !c.CountedText(w.name2) ||
            !c.U32(unitCount) || !c.Block(table))
            return TemplateError::TruncatedWindow;
        if (TemplateError e = ParseUnitTable(table, unitCount, w); e != TemplateError::None) return e;
    }
    if (c.left() != 0) return TemplateError::TrailingData;
    out = std::move(windows);
    return TemplateError::None;
}

bool ParseTemplateCollection(const uint8_t* data, size_t size, std::vector<TemplateWindow>& out, std::string* error) {
    const TemplateError e = ParseTemplates(data, size, out);
    if (e != TemplateError::None && error) *error = TemplateErrorText(e);
    return e == TemplateError::None;
}

void ResolveHandlers(std::vector<TemplateWindow>& windows, uintptr_t codeBase) {
    auto resolve = [codeBase](uintptr_t& h) {
        h = (static_cast<uint32_t>(h) == kNoHandlerOffset) ? 0 : codeBase + static_cast<uint32_t>(h);
    };
    for (auto& w : windows)
        for (auto& r : w.units) {
            for (auto& b : r.bindings) resolve(b.handler);
            if (r.menu) resolve(r.clickHandler);
        }
}

// --- writer -----------------------------------------------------------------

namespace {

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    out.insert(out.end(), b, b + 4);
}
void PutBytes(std::vector<uint8_t>& out, const void* p, size_t n) {
    const uint8_t* b = static_cast<const uint8_t*>(p);
    out.insert(out.end(), b, b + n);
}
void PutCText(std::vector<uint8_t>& out, const std::string& s) {
    // A 0-terminated text ends at its first 0 byte.
    PutBytes(out, s.c_str(), std::strlen(s.c_str()) + 1);
}
void PutCounted(std::vector<uint8_t>& out, const std::string& s) {
    Put32(out, static_cast<uint32_t>(s.size()));
    PutBytes(out, s.data(), s.size());
}

std::vector<uint8_t> WriteRecord(const UnitDescription& u) {
    std::vector<uint8_t> r;
    Put32(r, u.type ? u.type : (IsMenuItemId(u.id) ? kMenuItemType : 0));
    Put32(r, u.eventLink);
    for (int i = 0; i < 4; ++i) Put32(r, 0);
    PutCText(r, u.name);
    PutCText(r, u.remark);
    Put32(r, 0);  // object
    if (IsMenuItemId(u.id)) {
        Put32(r, u.menuWord);
        Put32(r, u.menuFlags);
        PutCText(r, u.caption);
        Put32(r, HandlerOffset(u.clickHandlerIndex));
        PutBytes(r, u.block.data(), u.block.size());
        return r;
    }
    Put32(r, static_cast<uint32_t>(u.left));
    Put32(r, static_cast<uint32_t>(u.top));
    Put32(r, static_cast<uint32_t>(u.width));
    Put32(r, static_cast<uint32_t>(u.height));
    Put32(r, 0);  // cursor
    Put32(r, u.parent);
    Put32(r, static_cast<uint32_t>(u.children.size()));
    for (uint32_t id : u.children) Put32(r, id);
    Put32(r, static_cast<uint32_t>(u.pointerData.size()));
    PutBytes(r, u.pointerData.data(), u.pointerData.size());
    PutCText(r, u.tag);
    Put32(r, 0);
    Put32(r, u.flags);
    Put32(r, u.tabOrder);
    Put32(r, static_cast<uint32_t>(u.bindings.size()));
    for (const auto& b : u.bindings) {
        Put32(r, static_cast<uint32_t>(b.event));
        Put32(r, HandlerOffset(b.handlerIndex));
    }
    for (int i = 0; i < 5; ++i) Put32(r, 0);
    PutBytes(r, u.block.data(), u.block.size());
    return r;
}

}  // namespace

std::vector<uint8_t> WriteTemplateCollection(const std::vector<WindowDescription>& windows) {
    std::vector<uint8_t> out;
    Put32(out, static_cast<uint32_t>(windows.size() * 8));
    for (const auto& w : windows) Put32(out, w.id);
    for (size_t i = 0; i < windows.size(); ++i) Put32(out, 0);
    for (const auto& w : windows) {
        Put32(out, w.word1);
        Put32(out, w.word2);
        PutCounted(out, w.name1);
        PutCounted(out, w.name2);
        Put32(out, static_cast<uint32_t>(w.units.size()));
        std::vector<uint8_t> area, ids, offsets;
        for (const auto& u : w.units) {
            Put32(ids, u.id);
            Put32(offsets, static_cast<uint32_t>(area.size()));
            std::vector<uint8_t> rec = WriteRecord(u);
            Put32(area, static_cast<uint32_t>(rec.size()));
            PutBytes(area, rec.data(), rec.size());
        }
        Put32(out, static_cast<uint32_t>(ids.size() + offsets.size() + area.size()));
        PutBytes(out, ids.data(), ids.size());
        PutBytes(out, offsets.data(), offsets.size());
        PutBytes(out, area.data(), area.size());
    }
    return out;
}

}  // namespace imprinta::forms
