// Every picture of the public test corpus (`../shared/corpus` beside the project)
// is loaded through the control and painted 1:1 in a window as large as the
// picture, as `orlim show --zoom 0` does, and the window is compared with what a
// peer decoder makes of the file. corpus_outcomes.txt says, per file, what must
// come out:
//   match               the window equals the peer's decode (small tolerance)
//   refused             the load fails with a message that names the file
//   peer-wrong REASON   the picture loads; the peer is wrong or has nothing to say
//   wrong REASON        a known fault: the picture loads but differs from the
//                       peer, or the refusal does not name the file
// ORLIM_CORPUS_REPORT=FILE writes the observed outcomes in the table's form (the
// reasons of the current table kept where the kind still holds), so the table
// can be regenerated after a reader changes; see corpus_outcomes.txt's head.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "control/OrlimCtrl.h"
#include "control/autofit.h"
#include "corpus/corpus_peers.h"
#include "platform/headless/HeadlessApplication.h"
#include "platform/headless/HeadlessWindow.h"

namespace orlim::test {

namespace {

namespace fs = std::filesystem;

// A channel may differ by this much (rounding in colour conversions) ...
constexpr int kChannelTolerance = 3;
// ... and this share of the pixels may differ by more (a decoder's edge handling).
constexpr double kStrayShare = 0.001;
// Far beyond any file's load and paint, also in the sanitizer build: a file that
// takes longer is taken to hang. Processor time of this process, so that a busy
// machine does not make a file look slow.
constexpr double kSecondsPerFile = 60.0;

enum class Seen { Match, Refused, Differs };

struct Observation {
  Seen seen = Seen::Refused;
  std::string detail;
  double seconds = 0;
};

struct Expected {
  std::string kind;  // match, refused, peer-wrong, wrong
  std::string reason;
};

std::string corpusRoot() { return fs::path(ORLIM_SOURCE_DIR "/../shared/corpus").lexically_normal().string(); }

// The files SOURCES.txt lists (the first field of each line), or none.
std::set<std::string> listedSources(const std::string& root) {
  std::set<std::string> listed;
  std::ifstream in(root + "/SOURCES.txt");
  std::string line;
  while (std::getline(in, line))
    if (!line.empty() && line[0] != '#') listed.insert(line.substr(0, line.find('\t')));
  return listed;
}

// The files the control can be asked to open: every picture below the root but
// bmpsuite's reference pictures, the parts of indirect DjVu documents (whose
// names say nothing of a kind the control knows) and files the corpus's
// SOURCES.txt does not list (left there by tools).
std::vector<std::string> corpusPictures(const std::string& root) {
  const std::set<std::string> listed = listedSources(root);
  std::vector<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    const std::string relative = fs::relative(entry.path(), root).string();
    if (relative.rfind("bmp/bmpsuite/ref/", 0) == 0) continue;
    if (classifyExtension(relative.c_str()) == kFileNone) continue;
    if (!listed.empty() && !listed.count(relative)) continue;
    files.push_back(relative);
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::map<std::string, Expected> readTable(const std::string& path) {
  std::map<std::string, Expected> table;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string file;
    Expected e;
    fields >> file >> e.kind;
    std::getline(fields >> std::ws, e.reason);
    table[file] = e;
  }
  return table;
}

std::string compareWithPeer(const Surface& surface, const PeerPicture& peer) {
  if (surface.width() != peer.width || surface.height() != peer.height)
    return "size " + std::to_string(surface.width()) + "x" + std::to_string(surface.height()) + ", " + peer.peer + " " +
           std::to_string(peer.width) + "x" + std::to_string(peer.height);
  std::int64_t stray = 0;
  int worst = 0;
  for (int y = 0; y < peer.height; ++y) {
    const std::uint32_t* row = surface.row(y);
    const std::uint8_t* expected = peer.rgb.data() + std::size_t(y) * peer.width * 3;
    for (int x = 0; x < peer.width; ++x) {
      const std::uint32_t p = row[x];
      const int d = std::max({std::abs(int((p >> 16) & 0xFF) - expected[3 * x]),
                              std::abs(int((p >> 8) & 0xFF) - expected[3 * x + 1]),
                              std::abs(int(p & 0xFF) - expected[3 * x + 2])});
      worst = std::max(worst, d);
      if (d > kChannelTolerance) ++stray;
    }
  }
  const std::int64_t pixels = std::int64_t(peer.width) * peer.height;
  if (stray <= std::int64_t(kStrayShare * double(pixels))) return {};
  return std::to_string(stray) + " of " + std::to_string(pixels) + " pixels differ from " + peer.peer + " (up to " +
         std::to_string(worst) + ")";
}

// Loads `relative` in a control whose window is then made as large as the picture.
Observation observe(const std::string& root, const std::string& relative, const std::string& cacheDir) {
  const std::clock_t start = std::clock();
  const std::string path = root + "/" + relative;
  Observation o;
  HeadlessApplication application;
  HeadlessWindow window(64, 64);
  window.SetDisplay(24, 96);
  COrlimCtrl control;
  control.AttachWindow(&window);
  control.ResetState();
  control.SetAutoFit(0);
  control.SetZoomLevel(0);
  window.DeliverPendingPaint();
  control.SetPicture(path);
  if (!control.hasPicture()) {
    bool named = false;
    for (const auto& m : application.messages()) named = named || m.text.find(relative) != std::string::npos;
    o.seen = Seen::Refused;
    if (!named) o.detail = "refused without a message naming the file";
  } else {
    window.Resize(control.image.width, control.image.height);
    while (window.DeliverPendingPaint()) {
    }
    o.seen = Seen::Differs;
    if (window.scrollBarShown(SB_HORZ) || window.scrollBarShown(SB_VERT)) {
      o.detail = "the picture does not fit a window of its own size";
    } else if (auto peer = peerDecode(root, relative, cacheDir)) {
      o.detail = compareWithPeer(window.surface(), *peer);
      if (o.detail.empty()) o.seen = Seen::Match;
    } else {
      o.detail = "no peer decodes it";
    }
  }
  o.seconds = double(std::clock() - start) / CLOCKS_PER_SEC;
  return o;
}

bool agrees(const Expected& e, const Observation& o) {
  switch (o.seen) {
    case Seen::Match: return e.kind == "match";
    case Seen::Refused: return e.kind == (o.detail.empty() ? "refused" : "wrong");
    case Seen::Differs: return e.kind == "peer-wrong" || e.kind == "wrong";
  }
  return false;
}

// The table line for what was seen; a reason already written for the same kind stays.
std::string reportLine(const std::string& file, const Observation& o, const Expected* e) {
  switch (o.seen) {
    case Seen::Match: return file + "\tmatch";
    case Seen::Refused:
      if (o.detail.empty()) return file + "\trefused";
      [[fallthrough]];
    case Seen::Differs:
      if (e && agrees(*e, o)) return file + "\t" + e->kind + "\t" + e->reason;
      return file + "\twrong\t" + o.detail;
  }
  return file;
}

std::string formatOf(const std::string& relative) { return relative.substr(0, relative.find('/')); }

TEST(Corpus, EveryPictureOpensAsTheTableSays) {
  const std::string root = corpusRoot();
  if (!fs::is_directory(root)) {
    GTEST_SKIP() << "no corpus at " << root << " (a clone outside the workspace)";
  }
  const auto table = readTable(ORLIM_CORPUS_TABLE);
  const char* reportPath = std::getenv("ORLIM_CORPUS_REPORT");
  std::ofstream report;
  if (reportPath) {
    report.open(reportPath);
    report << "# corpus file\toutcome\treason (written by test_corpus with ORLIM_CORPUS_REPORT)\n";
  }
  std::map<std::string, std::map<std::string, int>> counts;  // format -> outcome -> files
  std::vector<std::pair<double, std::string>> slowest;
  const std::vector<std::string> files = corpusPictures(root);
  for (const auto& [file, expected] : table)
    EXPECT_TRUE(std::binary_search(files.begin(), files.end(), file))
        << file << " is in the table but not in the corpus";
  for (const std::string& file : files) {
    const Observation o = observe(root, file, ORLIM_CORPUS_CACHE);
    const auto found = table.find(file);
    const Expected* expected = found == table.end() ? nullptr : &found->second;
    const std::string line = reportLine(file, o, expected);
    if (report.is_open()) report << line << "\n";
    std::istringstream kind(line.substr(file.size()));
    std::string outcome;
    kind >> outcome;
    ++counts[formatOf(file)][outcome];
    EXPECT_LT(o.seconds, kSecondsPerFile) << file << " took " << o.seconds << " s";
    slowest.emplace_back(o.seconds, file);
    if (!expected) {
      ADD_FAILURE() << file << " is not in the table; observed: " << line;
    } else {
      EXPECT_TRUE(agrees(*expected, o)) << file << ": the table says " << expected->kind
                                        << ", observed: " << (o.detail.empty() ? line : o.detail);
    }
  }
  std::sort(slowest.rbegin(), slowest.rend());
  for (std::size_t i = 0; i < slowest.size() && i < 3; ++i)
    std::printf("slow: %s %.1f s\n", slowest[i].second.c_str(), slowest[i].first);
  for (const auto& [format, outcomes] : counts) {
    std::string summary = format + ":";
    for (const auto& [outcome, n] : outcomes) summary += " " + outcome + " " + std::to_string(n);
    std::printf("%s\n", summary.c_str());
  }
}

}  // namespace

}  // namespace orlim::test
