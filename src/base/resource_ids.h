// Numeric resource ids, shared by the resource scripts and the code. Each
// subsystem has a range of its own (named resources need none):
//   1000-1999  HTML viewer: substitute pictures and cursors
//   2000-2999  main window and the other forms
//   3000-3999  file explorer
//   4000-4999  hex editor
//   5000-5999  widgets
#pragma once

#define VR_HTML_BROKEN 1001
#define VR_HTML_PENDING 1002
#define VR_HTML_LINK_CURSOR 1003
#define VR_HTML_BROKEN_MASK 1005
#define VR_HTML_IBEAM_CURSOR 1006

#define VR_EXPLORER_PARENT_ICON 3201
#define VR_EXPLORER_HTML_ICON 3202
