#include "workflow/start_product.h"

#include <shlwapi.h>

#include "base/wide_string.h"
#include "system/install_log.h"
#include "system/process.h"
#include "workflow/start_parameters.h"

namespace {

bool StartProductProgram(RunContext& run, const ProductStart& start, const wchar_t* exeName,
                         const std::wstring& marker) {
  const std::wstring& location = start.installedLocation;
  const std::wstring folder = location.empty() ? start.installFolder : location;
  const std::wstring program = FormatWide(L"%ls\\%ls", folder.c_str(), exeName);
  if (!PathFileExistsW(program.c_str())) {
    WriteInstallLog(L"app exe not exist, %ls", program.c_str());
    run.Fail(Failure::kServerConfig);
    return false;
  }
  run.view.ShowStage(Stage::kStartingProduct);
  const ViewRect window = run.view.Placement();
  const std::wstring parameters = FormatStartParameters(window.top, window.left, marker);
  RECT workArea{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
  WriteInstallLog(L"start app: %ls, work area: {height: %d, width: %d}", parameters.c_str(),
                  static_cast<int>(workArea.bottom), static_cast<int>(workArea.right));
  RunProgram(SW_SHOW, false, location, program, parameters);
  run.view.Close();
  return true;
}

}  // namespace

bool StartApp(RunContext& run, const ProductStart& start) {
  return StartProductProgram(run, start, L"Lumetra.exe", L"0");
}

bool StartUpgrader(RunContext& run, const ProductStart& start, bool installedNow) {
  return StartProductProgram(run, start, L"Upgrader.exe", installedNow ? run.startTime : L"0");
}
