#include "platform/Subclass.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr UINT askBase = WM_APP + 1;      // the base procedure answers 42
constexpr UINT askSubclass = WM_APP + 2;  // the subclass answers 7 and hands nothing on
constexpr LRESULT baseAnswer = 42;
constexpr LRESULT subclassAnswer = 7;

// What the base procedure saw, and the window's state when WM_NCDESTROY reached it.
struct BaseLog {
    std::vector<UINT> messages;
    bool sawNcDestroy = false;
    WNDPROC procedureAtNcDestroy = nullptr;
    HANDLE propertyAtNcDestroy = nullptr;
    void* contextAtNcDestroy = nullptr;
};
BaseLog baseLog;
std::vector<UINT> subclassSeen;

LRESULT subclassProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam, const SubclassRecord& record);

LRESULT CALLBACK baseProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    baseLog.messages.push_back(message);
    if (message == askBase) return baseAnswer;
    if (message == WM_NCDESTROY) {
        baseLog.sawNcDestroy = true;
        baseLog.procedureAtNcDestroy = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(w, GWLP_WNDPROC));
        baseLog.propertyAtNcDestroy = GetPropA(w, "Kestrova.Subclass");
        baseLog.contextAtNcDestroy = SubclassContext(w, subclassProc);
    }
    return DefWindowProcA(w, message, wParam, lParam);
}

LRESULT subclassProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam, const SubclassRecord& record) {
    subclassSeen.push_back(message);
    if (message == askSubclass) return subclassAnswer;
    return record.callPrevious(w, message, wParam, lParam);
}

LRESULT otherProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam, const SubclassRecord& record) {
    return record.callPrevious(w, message, wParam, lParam);
}

bool contains(const std::vector<UINT>& messages, UINT message) {
    for (UINT m : messages)
        if (m == message) return true;
    return false;
}

class SubclassTest : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = baseProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "KestrovaSubclassTestBase";
        RegisterClassExA(&wc);  // fails harmlessly once registered
        window = CreateWindowExA(0, wc.lpszClassName, "", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr,
                                 wc.hInstance, nullptr);
        ASSERT_NE(window, nullptr);
        baseLog = BaseLog{};
        subclassSeen.clear();
    }
    void TearDown() override {
        if (IsWindow(window)) DestroyWindow(window);
    }
    HWND window = nullptr;
    int context = 0;
};

TEST_F(SubclassTest, MessagesPassThroughTheSubclassToThePreviousProcedure) {
    ASSERT_TRUE(Subclass(window, subclassProc, &context));

    EXPECT_EQ(SendMessageA(window, askBase, 0, 0), baseAnswer) << "handed on, with the base's answer";
    EXPECT_TRUE(contains(subclassSeen, askBase));
    EXPECT_TRUE(contains(baseLog.messages, askBase));

    baseLog.messages.clear();
    EXPECT_EQ(SendMessageA(window, askSubclass, 0, 0), subclassAnswer);
    EXPECT_FALSE(contains(baseLog.messages, askSubclass)) << "taken by the subclass, never handed on";

    // The default handling behind the base still works through the chain.
    ASSERT_TRUE(SetWindowTextA(window, "chained"));
    char text[16] = {};
    GetWindowTextA(window, text, sizeof text);
    EXPECT_STREQ(text, "chained");
}

TEST_F(SubclassTest, ContextIsFoundOnlyForItsOwnProcedure_ASecondSubclassIsRefused) {
    EXPECT_EQ(SubclassContext(window, subclassProc), nullptr) << "not subclassed yet";
    ASSERT_TRUE(Subclass(window, subclassProc, &context));
    EXPECT_EQ(SubclassContext(window, subclassProc), &context);
    EXPECT_EQ(SubclassContext(window, otherProc), nullptr);

    int other = 0;
    EXPECT_FALSE(Subclass(window, otherProc, &other));
    EXPECT_EQ(SubclassContext(window, subclassProc), &context) << "the refused call changed nothing";
    EXPECT_EQ(SendMessageA(window, askSubclass, 0, 0), subclassAnswer);

    EXPECT_FALSE(Subclass(nullptr, subclassProc, &context));
    EXPECT_FALSE(Subclass(window, nullptr, &context));
}

TEST_F(SubclassTest, Destruction_UndoesTheSubclassBeforeTheLastMessageIsHandedOn) {
    ASSERT_TRUE(Subclass(window, subclassProc, &context));
    ASSERT_TRUE(DestroyWindow(window));

    EXPECT_TRUE(contains(subclassSeen, WM_NCDESTROY)) << "the subclass sees the last message";
    ASSERT_TRUE(baseLog.sawNcDestroy) << "and hands it on";
    EXPECT_EQ(baseLog.procedureAtNcDestroy, &baseProc) << "the old procedure is back";
    EXPECT_EQ(baseLog.propertyAtNcDestroy, nullptr) << "the property is gone";
    EXPECT_EQ(baseLog.contextAtNcDestroy, nullptr);
    EXPECT_EQ(context, 0) << "the context is the caller's and left alone";
}

// A system control: the previous procedure is the system's own, and its
// default behaviour (text, check state) must still work through the subclass.
TEST_F(SubclassTest, SystemControl_KeepsItsOwnBehaviourAndCanBeSubclassedAgainAfterDestruction) {
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round == 0 ? "first button" : "second button");
        const HWND button = CreateWindowExA(0, "BUTTON", "before", WS_CHILD | BS_AUTOCHECKBOX, 0, 0, 40, 20,
                                            window, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(button, nullptr);
        const LONG_PTR systemProc = GetWindowLongPtrA(button, GWLP_WNDPROC);
        subclassSeen.clear();
        ASSERT_TRUE(Subclass(button, subclassProc, &context));
        EXPECT_NE(GetWindowLongPtrA(button, GWLP_WNDPROC), systemProc);

        SetWindowTextA(button, "after");
        char text[16] = {};
        GetWindowTextA(button, text, sizeof text);
        EXPECT_STREQ(text, "after");
        SendMessageA(button, BM_SETCHECK, BST_CHECKED, 0);
        EXPECT_EQ(SendMessageA(button, BM_GETCHECK, 0, 0), BST_CHECKED);
        EXPECT_TRUE(contains(subclassSeen, BM_SETCHECK));

        ASSERT_TRUE(DestroyWindow(button));
        EXPECT_TRUE(contains(subclassSeen, WM_NCDESTROY));
    }
}

}  // namespace
