#pragma once
// One name, one line: the file names a CSV batch's records give, each with the line that gave
// it first, so that a later record with the same name fails instead of replacing (or racing)
// the earlier one's file. Names from a --name template need none: its {line} fields make a
// different name for every line. Every record is registered, other shards' too, so that all
// shards agree on which line a name belongs to.

#include <cstdint>
#include <string>
#include <unordered_map>

namespace qrdesk::cli {

class NameRegistry {
  public:
    // 0 after recording name as line's; the earlier line that gave name otherwise.
    std::int64_t Claim(const std::string& name, std::int64_t line) {
        const auto [entry, added] = lines_.try_emplace(name, line);
        return added ? 0 : entry->second;
    }

  private:
    std::unordered_map<std::string, std::int64_t> lines_;
};

}  // namespace qrdesk::cli
