// The registry: a tree of keys, each named by its path (names joined by
// backslashes, e.g. CLSID\{...}\InprocServer32) and holding a text value. Paths
// compare without regard to ASCII case, as the original platform's do. Every
// host reaches it as one process-wide service whose default backend is a text
// file of `path = "value"` lines.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/orlim_api.h"

namespace orlim {

struct ORLIM_API CaseInsensitiveLess {
  bool operator()(std::string_view a, std::string_view b) const;
  using is_transparent = void;
};

class ORLIM_API RegistryTree {
 public:
  using Entries = std::map<std::string, std::string, CaseInsensitiveLess>;

  // The value at `path`, or null when the key is not there.
  const std::string* value(std::string_view path) const;
  // False (and nothing changed) when `path` is not a valid key path.
  bool set(const std::string& path, const std::string& value);
  // True when the key was there.
  bool remove(std::string_view path);
  // The names of the keys directly below `path` ("" for the root), each once.
  std::vector<std::string> subkeys(std::string_view path) const;
  const Entries& entries() const { return entries_; }

  // The text form: a comment line, then one `path = "value"` line per key in
  // path order; quotes, backslashes and line breaks in values escaped.
  std::string format() const;
  // Reads the text form; false with the reason (naming the line) when a line is
  // neither blank, a comment nor a key.
  static bool parse(std::string_view text, RegistryTree& tree, std::string& error);
  // Names are non-empty, without control characters, and a path has no ` = `.
  static bool validPath(std::string_view path);

 private:
  Entries entries_;
};

class ORLIM_API Registry {
 public:
  virtual ~Registry() = default;
  // Reads every key; false with the reason when the store cannot be read or is
  // damaged. A store that does not exist yet reads as empty.
  virtual bool read(RegistryTree& tree, std::string& error) = 0;
  // Reads, lets `change` edit the tree and stores the result, with no other
  // writer in between. Nothing is stored when reading fails or `change`
  // returns false; a failed store leaves the old one as it was.
  virtual bool update(const std::function<bool(RegistryTree&)>& change, std::string& error) = 0;
};

// The text-file backend. Writes go to a temporary file beside the registry that
// is renamed over it, under an exclusive lock of `<file>.lock`.
class ORLIM_API TextFileRegistry : public Registry {
 public:
  // With no path, the file is the default location at each call.
  explicit TextFileRegistry(std::string path = {}) : path_(std::move(path)) {}
  bool read(RegistryTree& tree, std::string& error) override;
  bool update(const std::function<bool(RegistryTree&)>& change, std::string& error) override;
  std::string path() const;

 private:
  std::string path_;
};

// Where the registry file is: $ORLIM_REGISTRY, else $XDG_DATA_HOME/orlim/registry,
// else ~/.local/share/orlim/registry.
ORLIM_API std::string defaultRegistryLocation();

// The process's registry: the one a host installed, else the default text file.
ORLIM_API void setRegistry(Registry* registry);
ORLIM_API Registry& currentRegistry();

}  // namespace orlim
