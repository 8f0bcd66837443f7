#pragma once

// Conversions between UTF-8 (what this tool prints and parses) and the wide
// strings the plug-in interface uses: UTF-32 on Linux, UTF-16 on Windows.

#include <string>
#include <vector>

std::wstring wideFromUtf8(const std::string& text);
std::string utf8FromWide(const wchar_t* text);

// The program's arguments as UTF-8: on Windows read back from the wide
// command line (argv there is in the ANSI code page), elsewhere argv itself.
std::vector<std::string> utf8Arguments(int argc, char** argv);
