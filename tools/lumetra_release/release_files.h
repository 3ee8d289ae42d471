// Where the kit takes the bytes of a file that a configuration names by URL: a local
// release folder, or the URL itself.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

class ReleaseFiles {
 public:
  virtual ~ReleaseFiles() = default;
  // The file's bytes, or no value with `why` saying what went wrong.
  virtual std::optional<std::string> Get(const std::wstring& url, std::string& why) = 0;
};

// The file of a URL's download name in a folder.
class FolderFiles : public ReleaseFiles {
 public:
  explicit FolderFiles(std::filesystem::path folder) : folder_(std::move(folder)) {}
  std::optional<std::string> Get(const std::wstring& url, std::string& why) override;

 private:
  std::filesystem::path folder_;
};

// Fetches exactly the URL given (http or https), nothing else.
class FetchedFiles : public ReleaseFiles {
 public:
  std::optional<std::string> Get(const std::wstring& url, std::string& why) override;
};

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path);
