// What the installed product and its upgrader receive on their command line. Platform-free.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

// "TOP LEFT MARKER Corvane"; the marker is "0" or the quoted start time.
std::wstring FormatStartParameters(int top, int left, std::wstring_view marker);

// "\"05/03/2025 10:05:09\"": one command-line parameter although it holds a blank.
std::wstring FormatStartTime(const std::tm& localTime);
