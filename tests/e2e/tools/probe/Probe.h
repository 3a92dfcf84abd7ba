// The pieces the probe's commands share: the output format and the lookups.
//
// Every answer is one or more lines of space-separated key=value pairs, the
// first pair always kind=...; texts are hex of their raw code-page-936 bytes,
// rectangles left,top,width,height.
#pragma once

#include <windows.h>

#include <string>

namespace probe {

std::string Hex(const std::string& bytes);
std::string FromHex(const char* hex);
unsigned long long Handle(HWND w);
std::string ClassOf(HWND w);
long long NowMicroseconds();

// SendMessageTimeout that cannot hang the probe; false when the send failed.
bool Send(HWND w, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result, UINT timeoutMs = 5000);

// Exit codes of every command.
constexpr int kDone = 0;
constexpr int kUsage = 1;
constexpr int kMissing = 2;  // no such window, control, menu or process
constexpr int kFailed = 3;   // found, but the operation did not succeed

// Window commands: CAPTION is a top-level window's caption.
int Window(const char* caption);
int Tree(const char* caption);
int Focus(const char* caption);
int SendOrPost(const char* caption, bool post, const char* message, const char* wParam, const char* lParam);
int Text(const char* caption, const char* className);
int TrayHas(const char* caption);
int TrayForget(const char* caption);
int TaskbarCreated();
int Menu();
int MenuAtStart(const char* caption, long timeoutMs);

// System commands.
int Clip(const char* hex);
int Proc(const char* exeName);
int Launch(const char* hex);

}  // namespace probe
