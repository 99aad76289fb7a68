// Stored window data: field order per version, defaults, damaged data.
#include <gtest/gtest.h>
#include <cstring>
#include "runtime/units/window_properties.h"

using namespace imprinta::units;

namespace {

struct Stream {
    std::vector<uint8_t> bytes;
    Stream& W(uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(v >> (8 * i)));
        return *this;
    }
    Stream& T(const char* s) {
        W(uint32_t(std::strlen(s)));
        bytes.insert(bytes.end(), s, s + std::strlen(s));
        return *this;
    }
};

// Fixed fields of every version, each with a value unlike its default.
Stream Head(uint32_t version) {
    Stream s;
    s.W(version).W(4 /*border*/).W(3 /*picture mode*/).W(0x00123456 /*colour*/);
    s.W(1 /*max*/).W(0 /*min*/).W(0 /*control box*/).W(3 /*start*/).W(0 /*movable*/);
    s.W(2 /*play count*/).W(1 /*enter*/).W(0 /*esc*/).W(1 /*f1*/).W(77 /*help context*/);
    return s;
}

std::vector<uint8_t> Save(WindowProperties& p) {
    std::vector<uint8_t> out;
    EXPECT_TRUE(SavePropertyData(p, out));
    return out;
}

std::vector<uint8_t> Bytes(const ByteBuffer& b) { return {b.data(), b.data() + b.size()}; }

void Tail(Stream& s) {
    s.T("PIC").T("ICON").T("WAVE").T("Caption").T("help.hlp");
}

}  // namespace

TEST(WindowData, DefaultsFollowTheTable) {
    WindowProperties p;
    ASSERT_TRUE(LoadPropertyData(p, nullptr, 0));
    EXPECT_EQ(2, p.borderStyle);
    EXPECT_EQ(0xFF000000u, p.backColor);
    EXPECT_EQ(1, p.backPictureMode);
    EXPECT_EQ(0, p.playCount);
    EXPECT_TRUE(p.controlBox && p.minButton && p.movable && p.escCloses && p.showInTaskbar);
    EXPECT_FALSE(p.maxButton || p.enterMovesFocus || p.f1Help || p.dragAnywhere || p.alwaysOnTop ||
                 p.keepTitleActive);
    EXPECT_EQ(1, p.startPosition);
    EXPECT_EQ(0, p.shape);
    EXPECT_TRUE(p.caption.empty() && p.className.empty() && p.icon.empty());
}

TEST(WindowData, VersionSixFieldOrderRoundTrips) {
    Stream s = Head(6);
    s.W(0 /*taskbar*/).W(1 /*drag*/).W(12 /*shape*/).W(1 /*topmost*/).W(1 /*title active*/).T("MyClass");
    Tail(s);
    WindowProperties p;
    ASSERT_TRUE(LoadPropertyData(p, s.bytes.data(), s.bytes.size()));
    EXPECT_EQ(4, p.borderStyle);
    EXPECT_EQ(3, p.backPictureMode);
    EXPECT_EQ(0x00123456u, p.backColor);
    EXPECT_TRUE(p.maxButton);
    EXPECT_FALSE(p.minButton);
    EXPECT_FALSE(p.controlBox);
    EXPECT_EQ(3, p.startPosition);
    EXPECT_FALSE(p.movable);
    EXPECT_EQ(2, p.playCount);
    EXPECT_TRUE(p.enterMovesFocus);
    EXPECT_FALSE(p.escCloses);
    EXPECT_TRUE(p.f1Help);
    EXPECT_EQ(77, p.helpContext);
    EXPECT_FALSE(p.showInTaskbar);
    EXPECT_TRUE(p.dragAnywhere);
    EXPECT_EQ(12, p.shape);
    EXPECT_TRUE(p.alwaysOnTop);
    EXPECT_TRUE(p.keepTitleActive);
    EXPECT_EQ("MyClass", p.className);
    EXPECT_EQ(std::vector<uint8_t>({'P', 'I', 'C'}), Bytes(p.backPicture));
    EXPECT_EQ(4u, p.icon.size());
    EXPECT_EQ(std::vector<uint8_t>({'W', 'A', 'V', 'E'}), Bytes(p.backMusic));
    EXPECT_EQ("Caption", p.caption);
    EXPECT_EQ("help.hlp", p.helpFile);
    EXPECT_EQ(s.bytes, Save(p));
}

TEST(WindowData, OlderVersionsKeepDefaultsOfLaterFields) {
    // Version 1 has none of the later fields; version 3 stops after the shape.
    Stream v1 = Head(1);
    Tail(v1);
    WindowProperties p;
    ASSERT_TRUE(LoadPropertyData(p, v1.bytes.data(), v1.bytes.size()));
    EXPECT_TRUE(p.showInTaskbar);
    EXPECT_EQ(0, p.shape);
    EXPECT_EQ("Caption", p.caption);
    EXPECT_EQ("help.hlp", p.helpFile);

    Stream v3 = Head(3);
    v3.W(0).W(1).W(5);
    Tail(v3);
    ASSERT_TRUE(LoadPropertyData(p, v3.bytes.data(), v3.bytes.size()));
    EXPECT_FALSE(p.showInTaskbar);
    EXPECT_TRUE(p.dragAnywhere);
    EXPECT_EQ(5, p.shape);
    EXPECT_FALSE(p.alwaysOnTop);
    EXPECT_TRUE(p.className.empty());
    EXPECT_EQ("Caption", p.caption);
    // Saving always writes the current version, which reads back the same.
    std::vector<uint8_t> saved = Save(p);
    WindowProperties q;
    ASSERT_TRUE(LoadPropertyData(q, saved.data(), saved.size()));
    EXPECT_EQ(saved, Save(q));
    EXPECT_EQ(6u, saved[0]);
}

TEST(WindowData, DamagedDataIsRefused) {
    Stream s = Head(6);
    s.W(1).W(0).W(0).W(0).W(0).T("");
    Tail(s);
    WindowProperties p;
    // Cut at every length: refused, never read past the end.
    for (size_t n = 1; n < s.bytes.size(); ++n) {
        std::vector<uint8_t> cut(s.bytes.begin(), s.bytes.begin() + n);
        EXPECT_FALSE(LoadPropertyData(p, cut.data(), cut.size())) << n;
    }
    ASSERT_TRUE(LoadPropertyData(p, s.bytes.data(), s.bytes.size()));

    Stream v7 = Head(7);
    v7.W(1).W(0).W(0).W(0).W(0).T("");
    Tail(v7);
    EXPECT_FALSE(LoadPropertyData(p, v7.bytes.data(), v7.bytes.size()));

    // A data count far beyond the data.
    Stream huge = Head(1);
    huge.W(0xFFFFFFF0u);
    EXPECT_FALSE(LoadPropertyData(p, huge.bytes.data(), huge.bytes.size()));
}

TEST(WindowData, ChoicesAreClampedAndTextsEndAtZero) {
    Stream s;
    s.W(6).W(9).W(0xFFFFFFFFu).W(0).W(0).W(0).W(0).W(7).W(0).W(3).W(0).W(0).W(0).W(0);
    s.W(1).W(0).W(31).W(0).W(0).T("");
    s.T("").T("").T("");
    s.W(5).bytes.insert(s.bytes.end(), {'a', 'b', 0, 'c', 'd'});
    s.T("");
    WindowProperties p;
    ASSERT_TRUE(LoadPropertyData(p, s.bytes.data(), s.bytes.size()));
    EXPECT_EQ(6, p.borderStyle);
    EXPECT_EQ(0, p.backPictureMode);
    EXPECT_EQ(3, p.startPosition);
    EXPECT_EQ(2, p.playCount);
    EXPECT_EQ(29, p.shape);
    EXPECT_EQ("ab", p.caption);
    EXPECT_EQ(3, ClampChoice(9, WindowChoiceMax(kWpBackPictureMode)));
    EXPECT_EQ(-1, WindowChoiceMax(kWpCaption));
}

TEST(WindowData, TextConversionSeesEveryText) {
    WindowProperties p;
    p.caption = "abc";
    p.helpFile = "h";
    p.className = "RZ";
    std::vector<uint8_t> stored = Save(p), converted;
    std::vector<std::string> seen;
    auto visit = [](char* text, int marker, void* user) {
        EXPECT_EQ(0, marker);
        static_cast<std::vector<std::string>*>(user)->push_back(text);
        text[0] = 'X';
    };
    WindowProperties scratch;
    ASSERT_TRUE(ConvertPropertyTexts(scratch, stored.data(), stored.size(), visit, &seen, converted));
    EXPECT_EQ((std::vector<std::string>{"abc", "h", "RZ"}), seen);  // caption first
    WindowProperties q;
    ASSERT_TRUE(LoadPropertyData(q, converted.data(), converted.size()));
    EXPECT_EQ("Xbc", q.caption);
    EXPECT_EQ("X", q.helpFile);
    EXPECT_EQ("XZ", q.className);
    EXPECT_EQ(stored.size(), converted.size());
}
