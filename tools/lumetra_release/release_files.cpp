#include "release_files.h"

#include <httplib.h>

#include <fstream>
#include <sstream>

#include "config/ini_text.h"
#include "workflow/download_stage_rules.h"

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::optional<std::string> FolderFiles::Get(const std::wstring& url, std::string& why) {
  const auto name = SafeDownloadFileName(url);
  if (!name) {
    why = "its URL names no file";
    return std::nullopt;
  }
  const std::filesystem::path path = folder_ / NarrowUtf8(*name);
  auto bytes = ReadWholeFile(path);
  if (!bytes) why = "there is no file " + path.string();
  return bytes;
}

std::optional<std::string> FetchedFiles::Get(const std::wstring& url, std::string& why) {
  const std::string text = NarrowUtf8(url);
  const size_t schemeEnd = text.find("://");
  const size_t pathStart = schemeEnd == std::string::npos ? schemeEnd : text.find('/', schemeEnd + 3);
  if (pathStart == std::string::npos) {
    why = "the URL cannot be fetched";
    return std::nullopt;
  }
  httplib::Client client(text.substr(0, pathStart));
  client.set_follow_location(false);  // only the URL the file names, never another
  client.set_connection_timeout(10);
  client.set_read_timeout(60);
  const auto response = client.Get(text.substr(pathStart));
  if (!response) {
    why = "fetching it failed: " + httplib::to_string(response.error());
    return std::nullopt;
  }
  if (response->status != 200) {
    why = "the server answered " + std::to_string(response->status);
    return std::nullopt;
  }
  return response->body;
}
