#pragma once
// Subclassing a window by hand: a procedure of ours sees each message first and
// hands on what it does not take to the procedure the window had before.
// SetWindowSubclass would do this, but it needs common controls 6, which a
// program without that manifest cannot count on importing.
//
// The previous procedure and a context pointer live in one small record that a
// window property points to. At WM_NCDESTROY the old procedure is put back and
// the property removed; the subclass procedure still sees that message, and
// the record is freed when it returns. The context stays the caller's.
// One subclass per window: a second Subclass on the same window is refused.
#include <windows.h>

#include <memory>

struct SubclassRecord;

// The subclass procedure. It hands a message on with record.callPrevious.
using SubclassProc = LRESULT (*)(HWND w, UINT message, WPARAM wParam, LPARAM lParam,
                                 const SubclassRecord& record);

struct SubclassRecord {
    SubclassProc proc = nullptr;
    WNDPROC previous = nullptr;
    void* context = nullptr;  // the caller's; never freed here

    LRESULT callPrevious(HWND w, UINT message, WPARAM wParam, LPARAM lParam) const {
        return CallWindowProcA(previous, w, message, wParam, lParam);
    }
};

namespace subclass_detail {

inline constexpr char recordProperty[] = "Kestrova.Subclass";

inline SubclassRecord* recordOf(HWND w) { return static_cast<SubclassRecord*>(GetPropA(w, recordProperty)); }

inline LRESULT CALLBACK thunk(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    SubclassRecord* record = recordOf(w);
    if (!record) return DefWindowProcA(w, message, wParam, lParam);
    if (message != WM_NCDESTROY) return record->proc(w, message, wParam, lParam, *record);
    // The window's last message: undo the subclass before handing it on, so
    // nothing sent during the rest of the teardown reaches a record that is
    // gone. The record itself lives until the subclass procedure returns.
    const std::unique_ptr<SubclassRecord> owned(record);
    SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(owned->previous));
    RemovePropA(w, recordProperty);
    return owned->proc(w, message, wParam, lParam, *owned);
}

}  // namespace subclass_detail

// Puts proc in front of the window's procedure; false (and nothing changed)
// when the window is already subclassed this way or cannot be.
inline bool Subclass(HWND w, SubclassProc proc, void* context) {
    if (!w || !proc || subclass_detail::recordOf(w)) return false;
    auto record = std::make_unique<SubclassRecord>();
    record->proc = proc;
    record->context = context;
    record->previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(w, GWLP_WNDPROC));
    if (!record->previous || !SetPropA(w, subclass_detail::recordProperty, record.get())) return false;
    // The record is in place before the first message can reach the thunk.
    SetLastError(0);
    const LONG_PTR old =
        SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&subclass_detail::thunk));
    if (old == 0 && GetLastError() != 0) {
        RemovePropA(w, subclass_detail::recordProperty);
        return false;
    }
    record->previous = reinterpret_cast<WNDPROC>(old);
    record.release();
    return true;
}

// The context given to Subclass when the window is subclassed with proc; else null.
inline void* SubclassContext(HWND w, SubclassProc proc) {
    const SubclassRecord* record = subclass_detail::recordOf(w);
    return record && record->proc == proc ? record->context : nullptr;
}
