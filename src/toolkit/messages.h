// The program's own window messages, all from this one list. They sit above
// WM_APP: the WM_USER range belongs to the controls' own messages (RichEdit's
// EM_* among them), where a private number would be taken for theirs. Tests
// that need a message of their own use numbers below kFirstPrivateMessage.
#pragma once
#include <windows.h>

namespace tk {

constexpr UINT kFirstPrivateMessage = WM_APP + 0x100;

enum PrivateMessage : UINT {
    // Hex editor: its state (caret, selection, changes) changed; posted so that
    // a burst of changes reaches the owner once the editor is idle.
    pmHexStateChanged = kFirstPrivateMessage,
    // Click splitter: the parent is laid out, look for the neighbours now.
    pmSplitterLoaded,
    // Modeless dialogs: the session's dialog window has gone.
    pmDialogClosed,
    // File list: per-path icons asked in the background are waiting (wParam
    // 0), or the asking may start (wParam 1).
    pmFileListIcons,
    // HTML view: a form was submitted; raise OnFormSubmit once the click
    // that caused it has been handled.
    pmHtmlFormSubmit,
    // Main window: the file list removed entries; look whether the viewers'
    // files are still there once, not for every entry.
    pmViewerFilesCheck,
    // Tree view: the hint asked for while it painted is set now.
    pmTreeHint,
    pmLastPrivateMessage
};

static_assert(pmLastPrivateMessage < 0xC000, "private messages stay below the registered ones");

} // namespace tk
