// Opens a web address in the user's browser.
#pragma once

#include <string>

// Hands `url` to explorer.exe of the Windows folder ("open", shown normally). The full
// path matters: the installer runs with administrator rights from the Downloads folder,
// and a planted explorer.exe there must never be the one that starts. Only http(s)
// addresses without quotes, commas or blanks are passed on, so explorer never reads the
// argument as a switch or a local program. False when nothing was started.
bool OpenLink(const std::wstring& url);

// <Windows folder>\explorer.exe; empty when the Windows folder is unknown.
std::wstring SystemExplorerPath();
