#include "fault_plan.h"

#include <cstdlib>
#include <sstream>
#include <vector>

namespace {

std::optional<uint64_t> Number(const std::string& text) {
  if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  return std::strtoull(text.c_str(), nullptr, 10);
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream stream(text);
  while (std::getline(stream, part, separator)) parts.push_back(part);
  return parts;
}

bool ApplyItem(const std::string& item, FaultPlan& plan) {
  const size_t equals = item.find('=');
  const std::string name = item.substr(0, equals);
  const std::string value = equals == std::string::npos ? std::string() : item.substr(equals + 1);
  const bool hasValue = equals != std::string::npos;
  auto number = [&]() { return hasValue ? Number(value) : std::nullopt; };

  if (name == "once" && !hasValue) return plan.once = true;
  if (name == "chunked" && !hasValue) return plan.chunked = true;
  if (name == "ignore-range" && !hasValue) return plan.ignoreRange = true;
  if (name == "tag") return true;  // only makes a path distinct
  if (name == "hang") {
    plan.hangMs = hasValue ? Number(value) : std::optional<uint64_t>(0);
    return plan.hangMs.has_value();
  }
  if (name == "stall") {
    const size_t colon = value.find(':');
    plan.stallAfter = Number(value.substr(0, colon));
    if (colon != std::string::npos) {
      const std::optional<uint64_t> ms = Number(value.substr(colon + 1));
      if (!ms) return false;
      plan.stallMs = *ms;
    }
    return plan.stallAfter.has_value();
  }
  if (name == "status") {
    const std::optional<uint64_t> status = number();
    if (!status || *status < 100 || *status > 599) return false;
    plan.status = static_cast<int>(*status);
    return true;
  }
  if (name == "throttle") {
    const std::optional<uint64_t> rate = number();
    if (!rate || *rate == 0) return false;
    plan.throttleBytesPerSecond = *rate;
    return true;
  }
  std::optional<uint64_t>* target = name == "close"    ? &plan.closeAfter
                                    : name == "reset"  ? &plan.resetAfter
                                    : name == "length" ? &plan.announcedLength
                                    : name == "offset" ? &plan.rangeStart
                                                       : nullptr;
  if (!target) return false;
  *target = number();
  return target->has_value();
}

}  // namespace

std::optional<FaultRequest> ParseFaultPath(const std::string& path, std::string* error) {
  static const std::string kPrefix = "/fault/";
  FaultRequest request;
  if (path.compare(0, kPrefix.size(), kPrefix) != 0) {
    request.filePath = path;
    return request;
  }
  const size_t itemsEnd = path.find('/', kPrefix.size());
  if (itemsEnd == std::string::npos) {
    if (error) *error = "fault path without a file";
    return std::nullopt;
  }
  for (const std::string& item : Split(path.substr(kPrefix.size(), itemsEnd - kPrefix.size()), ',')) {
    if (item.empty()) continue;
    if (!ApplyItem(item, request.plan)) {
      if (error) *error = "bad fault item '" + item + "'";
      return std::nullopt;
    }
  }
  request.filePath = path.substr(itemsEnd);
  return request;
}

ByteRange ResolveRange(const std::string& header, uint64_t size) {
  ByteRange range;
  std::string text;
  for (char c : header)
    if (c != ' ' && c != '\t') text += c;
  if (text.compare(0, 6, "bytes=") != 0) return range;
  text = text.substr(6);
  if (text.find(',') != std::string::npos) return range;
  const size_t dash = text.find('-');
  if (dash == std::string::npos) return range;
  const std::optional<uint64_t> first = Number(text.substr(0, dash));
  const std::optional<uint64_t> last = Number(text.substr(dash + 1));
  if (first) {
    if (last && *last < *first) return range;
    range.present = true;
    range.satisfiable = *first < size;
    range.first = *first;
    range.last = last && *last < size ? *last : size - 1;
  } else if (last) {  // the last N bytes
    range.present = true;
    range.satisfiable = *last > 0 && size > 0;
    range.first = *last >= size ? 0 : size - *last;
    range.last = size - 1;
  }
  return range;
}
