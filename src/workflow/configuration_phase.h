// The first phase: from the server configuration (fetched, its signature checked, read)
// to a plan of what this run is to fetch, with the carried extractor written out.
#pragma once

#include <string>

#include "config/server_config.h"
#include "workflow/run_context.h"

struct Plan {
  CServerConfig config;   // the four records and the registered install location
  std::wstring serverIni; // the local copy the records were read from
  int timeoutMs = 60000;  // for every download of the run
};

enum class PlanEnd { kPlanned, kFailed, kOsUnsupported, kCancelled };

struct PlanResult {
  PlanEnd end = PlanEnd::kFailed;
  Plan plan;
};

// Waits out network outages (the offline stage) until the configuration is there; any
// other failure shows the failed stage or the unsupported-OS page.
PlanResult FetchPlan(RunContext& run);

// The configuration URL: the override file's, else the maker's default.
std::wstring GetServerUrl();
// The connection time-out in ms: the override file's, else 60000.
int GetWebConnectTimeout();
// Fetches the configuration (or takes the local Package copy) into <Temp>\server.ini, with
// its signature when the build requires one, and returns that path, whether or not the
// file could be obtained. A configuration over 1 MiB is refused (*tooLarge set, nothing
// past the bound written).
std::wstring DownloadServerIni(RunContext& run, const std::wstring& url, int timeoutMs,
                              bool* tooLarge = nullptr);
