// What an installer on a stated machine decides from a configuration, told with the
// installer's own reader and rules.
#pragma once

#include <string>

#include "config/ini_text.h"
#include "kit_platform.h"

std::string ExplainConfig(const IniText& ini, const MachineFacts& facts);
