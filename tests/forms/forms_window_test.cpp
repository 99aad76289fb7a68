// Windows built from templates: creation order and event suppression, event
// dispatch and bindings, properties before/while/after a window lives,
// re-creation in place, containers, notifications. Runs under Wine.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include "forms_test_handlers.h"
#include "forms_test_units.h"
#include "runtime/core/blocks.h"
#include "runtime/core/runtime_state.h"
#include "runtime/forms/forms_api.h"

using namespace formstest;
using namespace imprinta::forms;
using imprinta::units::Unit;

namespace {

uint32_t Word(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }

uint32_t NextWindowId() {
    static uint32_t next = 0x52010100;
    return next++;
}

UnitDescription OwnRecord(std::vector<BindingDescription> bindings) {
    UnitDescription w;
    w.id = kWindowRecordId;
    w.type = kWindowType;
    w.name = "窗口";
    w.left = 40;
    w.top = 40;
    w.width = 420;
    w.height = 320;
    w.flags = kUnitVisible;
    w.bindings = std::move(bindings);
    return w;
}

UnitDescription Box(uint32_t id, int x, int y, int w, int h, std::vector<BindingDescription> bindings = {},
                    uint32_t type = kBoxType) {
    UnitDescription u;
    u.id = id;
    u.type = type;
    u.name = "方框";
    u.left = x;
    u.top = y;
    u.width = w;
    u.height = h;
    u.bindings = std::move(bindings);
    u.block = TestBoxBlock("box " + std::to_string(id & 0xFF));
    return u;
}

uint32_t Register(std::vector<UnitDescription> units) {
    WindowDescription w;
    w.id = NextWindowId();
    w.units = std::move(units);
    EXPECT_TRUE(LoadTemplates({w}));
    return w.id;
}

HWND UnitHandle(uint32_t windowId, uint32_t unitId) {
    auto* u = reinterpret_cast<Unit*>(static_cast<uintptr_t>(RuntimeNotify(kNotifyUnitObject, windowId, unitId, 0)));
    return u ? u->hwnd : nullptr;
}

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

class Forms : public ::testing::Test {
protected:
    static void SetUpTestSuite() { StartTestRuntime(); }
    void SetUp() override { Calls().clear(); }
    void TearDown() override {
        DestroyAllWindows();
        Pump();
    }
};

}  // namespace

TEST_F(Forms, CreationRaisesCreatedMovedResizedInOrderAndNothingWhileUnitsAreMade) {
    const uint32_t box = 0x16010001;
    uint32_t id = Register({OwnRecord({{0, kHandler_OnCreated}, {3, kHandler_OnMoved}, {4, kHandler_OnResized},
                                       {2, kHandler_OnDestroying}, {-7, kHandler_OwnHandler}}),
                            Box(box, 10, 10, 100, 30, {{0, kHandler_OnEvent}})});
    int before = TestBox::created;
    ASSERT_TRUE(CreateRegisteredWindow(id, nullptr, false));
    EXPECT_EQ(before + 1, TestBox::created);
    // The box raised its event 0 from CreateControl and from 0x806F: suppressed.
    // (Showing the window centred may move it again afterwards.)
    auto names = CallNames();
    ASSERT_GE(names.size(), 3u);
    EXPECT_EQ((std::vector<std::string>{"OnCreated", "OnMoved", "OnResized"}),
              std::vector<std::string>(names.begin(), names.begin() + 3));
    EXPECT_EQ(names.end(), std::find(names.begin(), names.end(), "OnEvent"));
    for (const auto& c : Calls()) {
        if (c.handler == "OwnHandler") continue;
        EXPECT_TRUE(c.sourceKnown);
        EXPECT_EQ(id, c.sourceWindow);
        EXPECT_EQ(kWindowRecordId, c.sourceUnit);
    }
    // The focus event of a window that holds the focus after showing comes once.
    HWND shown = UnitHandle(id, 0);
    size_t focusEvents = std::count(names.begin(), names.end(), "OwnHandler");
    if (GetFocus() == shown) EXPECT_EQ(1u, focusEvents);
    else EXPECT_EQ(0u, focusEvents);
    uint32_t source[2];
    EXPECT_EQ(0, RuntimeNotify(kNotifyEventSource, Word(source), 0, 0)) << "source cleared after the handler";

    // After creation the same event runs its handler.
    Calls().clear();
    auto answer = imprinta::units::RaiseEvent(id, box, 0, {7, 8});
    EXPECT_TRUE(answer.ran);
    ASSERT_EQ(1u, Calls().size());
    EXPECT_EQ(box, Calls()[0].sourceUnit);
    EXPECT_EQ(7u, Calls()[0].args[0]);
    EXPECT_EQ(8u, Calls()[0].args[1]);

    HWND hwnd = UnitHandle(id, 0);
    ASSERT_TRUE(IsWindowVisible(hwnd));
    DestroyWindow(hwnd);
    EXPECT_EQ("OnDestroying", CallNames().back());
    EXPECT_EQ(0, RuntimeNotify(kNotifyUnitObject, id, 0, 0));
    EXPECT_EQ(0, RuntimeNotify(kNotifyUnitObject, id, box, 0));
}

TEST_F(Forms, BindingsMinusOneUnboundAndEventLinks) {
    const uint32_t own = 0x16010001, linked = 0x16010002, otherType = 0x16010003, target = 0x16010004;
    UnitDescription a = Box(own, 0, 0, 10, 10, {{0, -1}, {1, kHandler_OwnHandler}});
    UnitDescription b = Box(linked, 0, 0, 10, 10, {{0, kHandler_OwnHandler}});
    b.eventLink = target;
    UnitDescription c = Box(otherType, 0, 0, 10, 10, {{0, kHandler_OwnHandler}}, kOtherBoxType);
    c.eventLink = target;
    UnitDescription t = Box(target, 0, 0, 10, 10, {{0, kHandler_LinkedHandler}});
    uint32_t id = Register({OwnRecord({}), a, b, c, t});

    // Offset -1: no handler. Unbound event: answer 0, record untouched.
    EXPECT_FALSE(imprinta::units::RaiseEvent(id, own, 0).ran);
    imprinta::units::EventRecord rec = {id, own, 9, 0, {}, 0, 0xABCD};
    EXPECT_EQ(0, RuntimeNotify(kNotifyRaiseEvent, Word(&rec), 0, 0));
    EXPECT_EQ(0u, rec.hasResult);
    EXPECT_EQ(0xABCDu, rec.result);
    EXPECT_TRUE(Calls().empty());

    EXPECT_TRUE(imprinta::units::RaiseEvent(id, own, 1).ran);
    EXPECT_TRUE(imprinta::units::RaiseEvent(id, linked, 0).ran);
    EXPECT_TRUE(imprinta::units::RaiseEvent(id, otherType, 0).ran);
    EXPECT_EQ((std::vector<std::string>{"OwnHandler", "LinkedHandler", "OwnHandler"}), CallNames());
    // The source is the unit that raised the event, not the one whose bindings served.
    EXPECT_EQ(linked, Calls()[1].sourceUnit);
}

TEST_F(Forms, HandlersGetWordAndTypedArgumentsAndReportResults) {
    const uint32_t box = 0x16010001;
    uint32_t id = Register({OwnRecord({}), Box(box, 0, 0, 10, 10, {{3, kHandler_OnEvent}, {4, kHandler_Return65},
                                                                   {6, kHandler_TypedArgs}})});
    imprinta::units::RaiseEvent(id, box, 3, {10, 20, 30});
    ASSERT_EQ(1u, Calls().size());
    EXPECT_EQ((std::vector<uint32_t>{10, 20, 30}), Calls()[0].args);

    auto answer = imprinta::units::RaiseEvent(id, box, 4, {'x'});
    EXPECT_TRUE(answer.hasResult);
    EXPECT_EQ(65u, answer.value);
    EXPECT_EQ('x', Calls()[1].args[0]);

    imprinta::units::TypedEventArgument args[] = {
        {0x1FF, 0, imprinta::kTypeByte, 0},
        {0x18000, 0, imprinta::kTypeShort, 0},
        {0xAAAA, 0xBBBB, imprinta::kTypeLong, 0},
        {0x12345678, 0, imprinta::kTypeInt, 1},  // by reference: the address travels
        {99, 0xDEAD, imprinta::kTypeInt, 0},     // a word: the high half stays behind
    };
    answer = imprinta::units::RaiseTypedEvent(id, box, 6, args, 5);
    ASSERT_EQ(3u, Calls().size());
    EXPECT_EQ((std::vector<uint32_t>{0xFF, 0xFFFF8000u, 0xAAAA, 0xBBBB, 0x12345678, 99}), Calls()[2].args);
    EXPECT_TRUE(answer.hasResult);
    EXPECT_EQ(0x1122334455667788ull, answer.value);
}

TEST_F(Forms, CloseWhoseRequestHandlerReturnsFalseNeverReachesCanClose) {
    uint32_t keep = Register({OwnRecord({{12, kHandler_ReturnFalse}, {1, kHandler_OnCanClose}})});
    ASSERT_TRUE(CreateRegisteredWindow(keep, nullptr, false));
    HWND h = UnitHandle(keep, 0);
    Calls().clear();
    SendMessageA(h, WM_CLOSE, 0, 0);
    EXPECT_EQ((std::vector<std::string>{"ReturnFalse"}), CallNames());
    EXPECT_TRUE(IsWindow(h));
    DestroyWindow(h);

    uint32_t close = Register({OwnRecord({{12, kHandler_ReturnTrue}, {1, kHandler_OnCanClose}})});
    ASSERT_TRUE(CreateRegisteredWindow(close, nullptr, false));
    h = UnitHandle(close, 0);
    Calls().clear();
    SendMessageA(h, WM_CLOSE, 0, 0);
    EXPECT_EQ((std::vector<std::string>{"ReturnTrue", "OnCanClose"}), CallNames());
    EXPECT_FALSE(IsWindow(h));
}

TEST_F(Forms, CommonPropertiesComeFromTheTemplateTheLiveControlThenTheTemplateAgain) {
    const uint32_t box = 0x16010001;
    uint32_t id = Register({OwnRecord({}), Box(box, 10, 12, 120, 30)});
    EXPECT_EQ(120u, GetUnitProperty(id, box, 2, -1));

    // Clamping on the template (no window yet).
    SetUnitProperty(id, box, 2, -1, 40000, 0);
    EXPECT_EQ(32627u, GetUnitProperty(id, box, 2, -1));
    SetUnitProperty(id, box, 2, -1, static_cast<uint32_t>(-5), 0);
    EXPECT_EQ(0u, GetUnitProperty(id, box, 2, -1));
    SetUnitProperty(id, box, 0, -1, static_cast<uint32_t>(-40000), 0);
    EXPECT_EQ(static_cast<uint32_t>(-32627), static_cast<uint32_t>(GetUnitProperty(id, box, 0, -1)));
    SetUnitProperty(id, box, 3, -1, 99999, 0);
    EXPECT_EQ(32627u, GetUnitProperty(id, box, 3, -1));
    SetUnitProperty(id, box, 0, -1, 10, 0);
    SetUnitProperty(id, box, 2, -1, 120, 0);
    SetUnitProperty(id, box, 3, -1, 30, 0);

    ASSERT_TRUE(CreateRegisteredWindow(id, nullptr, false));
    HWND h = UnitHandle(id, box);
    ASSERT_TRUE(h);
    SetWindowPos(h, nullptr, 0, 0, 150, 30, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(150u, GetUnitProperty(id, box, 2, -1)) << "live width";
    SetUnitProperty(id, box, 1, -1, 44, 0);
    RECT rc;
    GetWindowRect(h, &rc);
    MapWindowPoints(nullptr, GetParent(h), reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_EQ(10, rc.left);
    EXPECT_EQ(44, rc.top);
    EXPECT_EQ(44u, GetUnitProperty(id, box, 1, -1));
    SetUnitProperty(id, box, 5, -1, 0, 0);
    EXPECT_FALSE(IsWindowVisible(h));
    EXPECT_EQ(0u, GetUnitProperty(id, box, 5, -1));
    SetUnitProperty(id, box, 6, -1, 1, 0);
    EXPECT_FALSE(IsWindowEnabled(h));
    EXPECT_EQ(1u, GetUnitProperty(id, box, 6, -1));
    SetUnitProperty(id, box, 4, -1, Word("标记"), 0);
    char* tag = reinterpret_cast<char*>(static_cast<uintptr_t>(GetUnitProperty(id, box, 4, -1)));
    EXPECT_STREQ("标记", tag);
    FreeMemory(tag);

    DestroyWindow(UnitHandle(id, 0));
    // The template is back in its loaded state.
    EXPECT_EQ(120u, GetUnitProperty(id, box, 2, -1));
    EXPECT_EQ(12u, GetUnitProperty(id, box, 1, -1));
    EXPECT_EQ(1u, GetUnitProperty(id, box, 5, -1));
    EXPECT_EQ(0u, GetUnitProperty(id, box, 6, -1));
    EXPECT_EQ(0u, GetUnitProperty(id, box, 4, -1)) << "empty tag is the null text";
}

TEST_F(Forms, OwnPropertiesConvertByKindClampChoicesAndFallBackToTheDefaultFont) {
    const uint32_t box = 0x16010001;
    uint32_t id = Register({OwnRecord({}), Box(box, 10, 10, 120, 30)});
    ASSERT_TRUE(CreateRegisteredWindow(id, nullptr, false));
    HWND h = UnitHandle(id, box);

    SetUnitProperty(id, box, 8, -1, Word("新标题"), 0);
    char* caption = reinterpret_cast<char*>(static_cast<uintptr_t>(GetUnitProperty(id, box, 8, -1)));
    EXPECT_STREQ("新标题", caption);
    FreeMemory(caption);
    SetUnitProperty(id, box, 8, -1, 0, 0);  // null text: empty
    EXPECT_EQ(0u, GetUnitProperty(id, box, 8, -1));

    SetUnitProperty(id, box, 9, -1, 7, 0);
    EXPECT_EQ(3u, GetUnitProperty(id, box, 9, -1));
    SetUnitProperty(id, box, 9, -1, static_cast<uint32_t>(-2), 0);
    EXPECT_EQ(0u, GetUnitProperty(id, box, 9, -1));
    SetUnitProperty(id, box, 12, -1, 5, 0);
    EXPECT_EQ(1u, GetUnitProperty(id, box, 12, -1));

    uint8_t defaultRecord[60];
    imprinta::units::DefaultFontRecord(defaultRecord);
    uint8_t record[60] = {};
    int32_t height = -20;
    memcpy(record, &height, 4);
    memcpy(record + 28, "Tahoma", 7);
    for (uint32_t size : {59u, 61u, 0u}) {
        void* bytes = imprinta::MakeByteSet(record, size);
        SetUnitProperty(id, box, 10, -1, Word(bytes), 0);
        FreeMemory(bytes);
        EXPECT_EQ(GetStockObject(DEFAULT_GUI_FONT), reinterpret_cast<HGDIOBJ>(SendMessageA(h, WM_GETFONT, 0, 0)))
            << size;
        void* back = reinterpret_cast<void*>(static_cast<uintptr_t>(GetUnitProperty(id, box, 10, -1)));
        ASSERT_EQ(60u, ByteSetLength(back));
        EXPECT_EQ(0, memcmp(defaultRecord, ByteSetData(back), 60));
        FreeMemory(back);
    }
    void* bytes = imprinta::MakeByteSet(record, 60);
    SetUnitProperty(id, box, 10, -1, Word(bytes), 0);
    FreeMemory(bytes);
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(h, WM_GETFONT, 0, 0));
    EXPECT_NE(GetStockObject(DEFAULT_GUI_FONT), font);
    LOGFONTA lf = {};
    GetObjectA(font, sizeof lf, &lf);
    EXPECT_STREQ("Tahoma", lf.lfFaceName);
    EXPECT_EQ(PROOF_QUALITY, lf.lfQuality);

    // A choice of the real window unit: the shape clamps to 0..29.
    SetUnitProperty(id, 0, 28, -1, 99, 0);
    EXPECT_EQ(29u, GetUnitProperty(id, 0, 28, -1));
    SetUnitProperty(id, 0, 28, -1, 0, 0);
    DestroyWindow(UnitHandle(id, 0));
}

TEST_F(Forms, PropertyThatNeedsANewControlRecreatesTheUnitInPlace) {
    const uint32_t first = 0x16010001, box = 0x16010002, last = 0x16010003;
    uint32_t id = Register({OwnRecord({}), Box(first, 0, 0, 50, 50), Box(box, 20, 20, 80, 40),
                            Box(last, 40, 40, 50, 50)});
    ASSERT_TRUE(CreateRegisteredWindow(id, nullptr, false));
    HWND old = UnitHandle(id, box);
    SetUnitProperty(id, box, 8, -1, Word("kept"), 0);
    int created = TestBox::created;
    SetUnitProperty(id, box, 11, -1, 5, 0);
    HWND fresh = UnitHandle(id, box);
    ASSERT_TRUE(fresh);
    EXPECT_NE(old, fresh);
    EXPECT_FALSE(IsWindow(old));
    EXPECT_EQ(created + 1, TestBox::created);
    EXPECT_EQ(5u, GetUnitProperty(id, box, 11, -1));
    char* caption = reinterpret_cast<char*>(static_cast<uintptr_t>(GetUnitProperty(id, box, 8, -1)));
    EXPECT_STREQ("kept", caption);
    FreeMemory(caption);
    EXPECT_TRUE(IsWindowVisible(fresh));
    EXPECT_EQ(80u, GetUnitProperty(id, box, 2, -1));
    // Stacked between its neighbours again: first on top.
    EXPECT_EQ(fresh, GetWindow(UnitHandle(id, first), GW_HWNDNEXT));
    EXPECT_EQ(UnitHandle(id, last), GetWindow(fresh, GW_HWNDNEXT));
    EXPECT_TRUE(Calls().empty()) << "no events while re-creating";
    // Setting the same value again needs no new control.
    SetUnitProperty(id, box, 11, -1, 5, 0);
    EXPECT_EQ(fresh, UnitHandle(id, box));
    DestroyWindow(UnitHandle(id, 0));
}

TEST_F(Forms, ContainersCursorsAndASecondLoadOnlyActivates) {
    const uint32_t group = 0x16010001, inner = 0x16010002, hidden = 0x16010003;
    UnitDescription g = Box(group, 30, 30, 200, 150, {}, kContainerType);
    g.children = {inner, hidden};
    UnitDescription i = Box(inner, 5, 7, 60, 20);
    i.parent = group;
    i.pointerData = {0x01, 0x7F, 0, 0};  // 32513: the I-beam
    UnitDescription hid = Box(hidden, 5, 40, 60, 20);
    hid.parent = group;
    hid.flags = 0;
    uint32_t id = Register({OwnRecord({{0, kHandler_OnCreated}}), g, i, hid});
    ASSERT_TRUE(CreateRegisteredWindow(id, nullptr, false));
    HWND gh = UnitHandle(id, group), ih = UnitHandle(id, inner), hh = UnitHandle(id, hidden);
    EXPECT_EQ(gh, GetParent(ih));
    RECT rc;
    GetWindowRect(ih, &rc);
    MapWindowPoints(nullptr, gh, reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_EQ(5, rc.left);
    EXPECT_EQ(7, rc.top);
    EXPECT_EQ(hh, GetWindow(ih, GW_HWNDNEXT));
    EXPECT_TRUE(IsWindowVisible(ih));
    EXPECT_FALSE(IsWindowVisible(hh));

    EXPECT_EQ(LoadCursorA(nullptr, IDC_IBEAM), UnitCursor(id, inner));
    void* pointer = reinterpret_cast<void*>(static_cast<uintptr_t>(GetUnitProperty(id, inner, 7, -1)));
    ASSERT_EQ(4u, ByteSetLength(pointer));
    uint32_t code;
    memcpy(&code, ByteSetData(pointer), 4);
    EXPECT_EQ(3u, code);
    FreeMemory(pointer);
    uint32_t cross = 2;
    void* set = imprinta::MakeByteSet(&cross, 4);
    SetUnitProperty(id, inner, 7, -1, Word(set), 0);
    FreeMemory(set);
    EXPECT_EQ(LoadCursorA(nullptr, IDC_CROSS), UnitCursor(id, inner));

    // A unit's cursor shows over all of the unit; the window's only over its client area.
    uint32_t sizeAll = 8;
    set = imprinta::MakeByteSet(&sizeAll, 4);
    SetUnitProperty(id, 0, 7, -1, Word(set), 0);
    FreeMemory(set);
    HWND wh = UnitHandle(id, 0);
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    struct CursorCase {
        HWND over;
        WORD hitTest;
        LPCSTR expected;
    } cursorCases[] = {
        {ih, HTCLIENT, IDC_CROSS}, {ih, HTBORDER, IDC_CROSS}, {ih, HTVSCROLL, IDC_CROSS},
        {wh, HTCLIENT, IDC_SIZEALL}, {wh, HTCAPTION, IDC_ARROW},
    };
    for (const auto& c : cursorCases) {
        SetCursor(arrow);
        SendMessageA(c.over, WM_SETCURSOR, reinterpret_cast<WPARAM>(c.over), MAKELPARAM(c.hitTest, WM_MOUSEMOVE));
        EXPECT_EQ(LoadCursorA(nullptr, c.expected), GetCursor()) << "hit test " << c.hitTest;
    }

    int created = TestBox::created;
    HWND window = UnitHandle(id, 0);
    Calls().clear();
    EXPECT_TRUE(CreateRegisteredWindow(id, nullptr, false));
    EXPECT_EQ(window, UnitHandle(id, 0));
    EXPECT_EQ(created, TestBox::created);
    EXPECT_TRUE(Calls().empty());
    DestroyWindow(window);
    EXPECT_EQ(nullptr, UnitCursor(id, inner));
}

TEST_F(Forms, NotificationsAboutWindowsUnitsAndWrappedHandles) {
    const uint32_t box = 0x16010001;
    uint32_t id = Register({OwnRecord({}), Box(box, 0, 0, 40, 20)});
    EXPECT_EQ(kBoxType, RuntimeNotify(kNotifyUnitType, id, box, 0));
    EXPECT_EQ(kWindowType, RuntimeNotify(kNotifyUnitType, id, 0, 0));
    EXPECT_EQ(0, RuntimeNotify(kNotifyUnitType, id, 0x16019999, 0));
    EXPECT_EQ(0, RuntimeNotify(kNotifyUnitObject, id, box, 0));

    uint32_t request[3] = {id, 0, 0};
    EXPECT_EQ(0, RuntimeNotify(kNotifyLoadWindow, Word(request), 0, 0));
    uint32_t missing[3] = {0x5201FFFF, 0, 0};
    EXPECT_EQ(-1, RuntimeNotify(kNotifyLoadWindow, Word(missing), 0, 0));
    HWND bh = UnitHandle(id, box);
    ASSERT_TRUE(bh);
    EXPECT_EQ(1, RuntimeNotify(kNotifyIsUnitWindow, Word(bh), 0, 0));
    EXPECT_EQ(0, RuntimeNotify(kNotifyIsUnitWindow, Word(GetDesktopWindow()), 0, 0));

    int64_t count = RuntimeNotify(kNotifyWindowCount, 0, 0, 0);
    bool found = false;
    for (int64_t n = 0; n < count; ++n)
        if (RuntimeNotify(kNotifyNthWindowHandle, static_cast<uint32_t>(n), 0, 0) == Word(UnitHandle(id, 0)))
            found = true;
    EXPECT_TRUE(found);
    EXPECT_EQ(0, RuntimeNotify(kNotifyNthWindowHandle, static_cast<uint32_t>(count), 0, 0));

    uint32_t object = static_cast<uint32_t>(RuntimeNotify(kNotifyWrapWindow, Word(bh), 0, 0));
    EXPECT_EQ(Word(bh), RuntimeNotify(kNotifyWindowObjectHandle, object, 0, 0));
    RuntimeNotify(kNotifyDetachWindowObject, object, 0, 0);
    EXPECT_EQ(0, RuntimeNotify(kNotifyWindowObjectHandle, object, 0, 0));
    RuntimeNotify(kNotifyDeleteWindowObject, object, 0, 0);
    EXPECT_TRUE(IsWindow(bh));
    DestroyWindow(UnitHandle(id, 0));
}

TEST_F(Forms, IdleEventsGoToLiveWindowsUntilTheyDecline) {
    uint32_t id = Register({OwnRecord({{7, kHandler_IdleWantsMore}})});
    ASSERT_TRUE(CreateRegisteredWindow(id, nullptr, false));
    HWND h = UnitHandle(id, 0);
    std::vector<HWND> done;
    EXPECT_TRUE(RaiseIdleEvents(15, done));
    EXPECT_TRUE(RaiseIdleEvents(20, done));
    EXPECT_FALSE(RaiseIdleEvents(25, done));
    EXPECT_FALSE(RaiseIdleEvents(30, done)) << "declined for the rest of the period";
    ASSERT_EQ(3u, Calls().size());
    EXPECT_EQ(15u, Calls()[0].args[0]);
    EXPECT_EQ(25u, Calls()[2].args[0]);
    EXPECT_EQ(std::vector<HWND>{h}, done);
    DestroyWindow(h);
    Pump();
}

namespace {

UnitDescription MenuItem(uint32_t id, const char* caption, uint32_t level, uint32_t shortcut = 0, uint32_t flags = 0) {
    UnitDescription m;
    m.id = id;
    m.type = kMenuItemType;
    m.caption = caption;
    m.menuWord = MakeMenuWord(level, shortcut);
    m.menuFlags = flags;
    m.clickHandlerIndex = kHandler_OnEvent;
    return m;
}

// A key press as the loop offers it, with Ctrl held in the thread's key state.
bool OfferCtrlKey(HWND target, UINT vk) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    MSG msg = {target, WM_KEYDOWN, vk, 1, GetTickCount(), {}};
    bool consumed = PreTranslate(msg);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    return consumed;
}

std::wstring MenuText(HMENU menu, int position) {
    wchar_t text[64] = {};
    GetMenuStringW(menu, static_cast<UINT>(position), text, 64, MF_BYPOSITION);
    return text;
}

}  // namespace

TEST_F(Forms, MenuBarByLevelWithStatesAndShortcutKeys) {
    const uint32_t file = 0x26010001, open = 0x26010002, hidden = 0x26010003, more = 0x26010004, deep = 0x26010005,
                   under = 0x26010006, help = 0x26010007;
    uint32_t id = Register({OwnRecord({}), MenuItem(file, "文件", 0),
                            MenuItem(open, "打开", 1, kMenuKeyCtrl | 'O'),
                            MenuItem(hidden, "隐藏", 1, kMenuKeyCtrl | 'H', kMenuHidden),
                            MenuItem(under, "藏下", 2, kMenuKeyCtrl | 'U'),
                            MenuItem(more, "更多", 1, 0, kMenuDisabled), MenuItem(deep, "深", 2, 0, kMenuChecked),
                            MenuItem(help, "帮助", 0, kMenuKeyCtrl | 'J')});
    ASSERT_TRUE(CreateRegisteredWindow(id, nullptr, false));
    HWND wh = UnitHandle(id, 0);
    HMENU bar = GetMenu(wh);
    ASSERT_NE(nullptr, bar);
    ASSERT_EQ(2, GetMenuItemCount(bar));
    EXPECT_EQ(L"帮助", MenuText(bar, 1));
    HMENU fileMenu = GetSubMenu(bar, 0);
    ASSERT_NE(nullptr, fileMenu);
    ASSERT_EQ(2, GetMenuItemCount(fileMenu)) << "the hidden item and its sub-menu left out";
    EXPECT_EQ(L"打开", MenuText(fileMenu, 0));
    EXPECT_EQ(L"更多", MenuText(fileMenu, 1));
    EXPECT_TRUE(GetMenuState(fileMenu, 1, MF_BYPOSITION) & MF_GRAYED);
    HMENU moreMenu = GetSubMenu(fileMenu, 1);
    ASSERT_NE(nullptr, moreMenu);
    ASSERT_EQ(1, GetMenuItemCount(moreMenu));
    EXPECT_TRUE(GetMenuState(moreMenu, 0, MF_BYPOSITION) & MF_CHECKED);

    // Shortcut keys of shown items raise their click handlers; hidden ones are not installed.
    struct KeyCase {
        UINT vk;
        bool consumed;
        uint32_t unit;
    } keys[] = {{'O', true, open}, {'J', true, help}, {'H', false, 0}, {'U', false, 0}};
    for (const auto& k : keys) {
        Calls().clear();
        EXPECT_EQ(k.consumed, OfferCtrlKey(wh, k.vk)) << char(k.vk);
        ASSERT_EQ(k.consumed ? 1u : 0u, Calls().size()) << char(k.vk);
        if (k.consumed) {
            EXPECT_EQ(k.unit, Calls()[0].sourceUnit);
        }
    }
    // Showing the hidden item rebuilds bar and keys: its sub-menu item's key works,
    // its own (it opens a sub-menu) does not.
    SetUnitProperty(id, hidden, 3, -1, 1, 0);
    EXPECT_EQ(3, GetMenuItemCount(GetSubMenu(GetMenu(wh), 0)));
    Calls().clear();
    EXPECT_FALSE(OfferCtrlKey(wh, 'H'));
    EXPECT_TRUE(OfferCtrlKey(wh, 'U'));
    ASSERT_EQ(1u, Calls().size());
    EXPECT_EQ(under, Calls()[0].sourceUnit);
    DestroyWindow(wh);
}

namespace {

struct ModalSeen {
    bool ran = false;
    bool ownerEnabled = true;
    bool modalFlag = false;
    bool handedOver = false;
    HWND owner = nullptr, modal = nullptr;
    uint32_t modalId = 0;
} g_modalSeen;

// Runs inside the modal window's loop: looks, then closes the modal window.
void CALLBACK InsideModalRun(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    ModalSeen& s = g_modalSeen;
    s.ran = true;
    s.ownerEnabled = IsWindowEnabled(s.owner) != 0;
    s.modalFlag = imprinta::TheRuntime().modal;
    // Activating the disabled window hands the activation to the modal one.
    HWND other = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 20, 20, nullptr, nullptr, nullptr, nullptr);
    SetActiveWindow(other);
    SendMessageA(s.owner, WM_ACTIVATE, WA_ACTIVE, 0);
    s.handedOver = GetActiveWindow() == s.modal;
    DestroyWindow(other);
    PostMessageA(s.modal, WM_CLOSE, 0, 0);
}

}  // namespace

TEST_F(Forms, ModalWindowRunsItsLoopUntilItCloses) {
    uint32_t first = Register({OwnRecord({})});
    uint32_t second = Register({OwnRecord({})});
    ASSERT_TRUE(CreateRegisteredWindow(first, nullptr, false));
    g_modalSeen = {};
    g_modalSeen.owner = UnitHandle(first, 0);
    struct Find {
        static void CALLBACK Modal(HWND, UINT, UINT_PTR timer, DWORD) {
            KillTimer(nullptr, timer);
            auto* modal = reinterpret_cast<Unit*>(
                static_cast<uintptr_t>(RuntimeNotify(kNotifyUnitObject, g_modalSeen.modalId, 0, 0)));
            if (!modal) return;  // the load did not wait for the window
            g_modalSeen.modal = modal->hwnd;
            SetTimer(nullptr, 0, 10, InsideModalRun);
        }
    };
    g_modalSeen.modalId = second;
    SetTimer(nullptr, 0, 10, Find::Modal);
    uint32_t request[3] = {second, 0, 1};
    EXPECT_EQ(0, RuntimeNotify(kNotifyLoadWindow, Word(request), 0, 0));
    // The call came back only once the modal window had closed.
    EXPECT_TRUE(g_modalSeen.ran);
    EXPECT_FALSE(g_modalSeen.ownerEnabled);
    EXPECT_TRUE(g_modalSeen.modalFlag);
    EXPECT_TRUE(g_modalSeen.handedOver);
    EXPECT_EQ(0, RuntimeNotify(kNotifyUnitObject, second, 0, 0));
    EXPECT_TRUE(IsWindowEnabled(g_modalSeen.owner));
    EXPECT_FALSE(imprinta::TheRuntime().modal);
    DestroyWindow(g_modalSeen.owner);
}

namespace {

uint32_t g_quitModalId = 0;
DWORD g_loopThread = 0;

void CALLBACK QuitInsideModalRun(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    PostQuitMessage(7);
}

DWORD WINAPI QuitWhileTheLoopWaits(void*) {
    Sleep(300);
    PostThreadMessageA(g_loopThread, WM_QUIT, 7, 0);
    return 0;
}

// Ends a modal run that lost the quit message, so the test fails instead of hanging.
void CALLBACK CloseModalLate(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (HWND modal = UnitHandle(g_quitModalId, 0)) PostMessageA(modal, WM_CLOSE, 0, 0);
}

}  // namespace

// A program that ends while a modal window is open: the modal run ends and the
// quit message stays queued for the main loop, whether it was posted by a
// handler inside the run or arrived while the loop waited for messages.
TEST_F(Forms, QuitMessageDuringAModalRunReachesTheMainLoop) {
    for (bool fromThread : {false, true}) {
        SCOPED_TRACE(fromThread ? "while the loop waits" : "from a handler");
        uint32_t owner = Register({OwnRecord({})});
        g_quitModalId = Register({OwnRecord({})});
        ASSERT_TRUE(CreateRegisteredWindow(owner, nullptr, false));
        UINT_PTR safety = SetTimer(nullptr, 0, 4000, CloseModalLate);
        HANDLE thread = nullptr;
        if (fromThread) {
            g_loopThread = GetCurrentThreadId();
            thread = CreateThread(nullptr, 0, QuitWhileTheLoopWaits, nullptr, 0, nullptr);
        } else {
            SetTimer(nullptr, 0, 50, QuitInsideModalRun);
        }
        uint32_t request[3] = {g_quitModalId, 0, 1};
        RuntimeNotify(kNotifyLoadWindow, Word(request), 0, 0);
        KillTimer(nullptr, safety);
        if (thread) {
            WaitForSingleObject(thread, INFINITE);
            CloseHandle(thread);
        }
        MSG msg = {};
        EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
        EXPECT_EQ(7u, msg.wParam);
        DestroyAllWindows();
        Pump();
    }
}
