// Reads and pokes the running program from outside, the way the shell, the
// session manager or another program would, for the end-to-end tests. One
// command per run. Every answer line is space-separated key=value pairs, the
// first always kind=...; texts are hex of their raw code-page-936 bytes (the
// Python side decodes them as gbk); rectangles are left,top,width,height.
//
//   window CAPTION            the top-level window only; sends it no message
//   tree CAPTION              the window, then every descendant, depth first
//                             (child rect relative to its parent, screen= on
//                             the screen; checked= for buttons)
//   focus CAPTION             the control that has the focus in its thread
//   send CAPTION MSG W L      SendMessageTimeout (MSG a number, 0x.. allowed,
//                             or a registered message's name): sent= result=
//   post CAPTION MSG W L      PostMessage: posted=
//   text CAPTION CLASS        the whole text of the first descendant of that
//                             class, with no length limit: len= text=
//   tray-has CAPTION          held=1 if the shell holds the icon (window, 100)
//   tray-forget CAPTION       deletes that icon as a restarting shell loses it
//   taskbar-created           broadcasts the shell's "TaskbarCreated"
//   menu                      the open popup menu's rect, then its items
//   menu-at-start CAPTION MS  waits for the window, posts it a right click on
//                             its tray icon, waits for the menu and presses X
//   clip HEX                  puts the bytes on the clipboard as CF_TEXT
//   proc EXENAME              pid= threads= handles= private= of that process
//   launch HEX|-              CreateProcessA with exactly that command line
//                             ("-": hex on the first line of standard input),
//                             waits for it: kind=exit code=
//
// Exit code 0 when done, 1 for a usage error, 2 when the window, control,
// menu or process does not exist, 3 when the operation failed.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "probe/Probe.h"

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    const auto is = [&](const char* name, int arguments) { return command == name && argc == arguments + 2; };
    if (is("window", 1)) return probe::Window(argv[2]);
    if (is("tree", 1)) return probe::Tree(argv[2]);
    if (is("focus", 1)) return probe::Focus(argv[2]);
    if (is("send", 4) || is("post", 4))
        return probe::SendOrPost(argv[2], command == "post", argv[3], argv[4], argv[5]);
    if (is("text", 2)) return probe::Text(argv[2], argv[3]);
    if (is("tray-has", 1)) return probe::TrayHas(argv[2]);
    if (is("tray-forget", 1)) return probe::TrayForget(argv[2]);
    if (is("taskbar-created", 0)) return probe::TaskbarCreated();
    if (is("menu", 0)) return probe::Menu();
    if (is("menu-at-start", 2)) return probe::MenuAtStart(argv[2], std::strtol(argv[3], nullptr, 10));
    if (is("clip", 1)) return probe::Clip(argv[2]);
    if (is("proc", 1)) return probe::Proc(argv[2]);
    if (is("launch", 1)) return probe::Launch(argv[2]);
    std::fprintf(stderr,
                 "usage: probe window|tree|focus|tray-has|tray-forget CAPTION | send|post CAPTION MSG W L |"
                 " text CAPTION CLASS | taskbar-created | menu | menu-at-start CAPTION MS | clip HEX |"
                 " proc EXENAME | launch HEX|-\n");
    return probe::kUsage;
}
