#include "djvu_fixtures.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>

namespace orlim::test {

namespace {

void runOrThrow(const std::string& command) {
  std::string log;
  if (run(command, &log) != 0) throw std::runtime_error(command + " failed: " + log);
}

std::string quoted(const std::string& path) { return "'" + path + "'"; }

// Whole-page references are kept between tests in the build's scratch folder, never
// beside the page: corpus documents live in a folder the tests must not write to.
std::string referenceFolder() {
  const char* scratch = std::getenv("ORLIM_TEST_TMP");
  const std::string folder = std::string(scratch && *scratch ? scratch : "/tmp") + "/ddjvu-references";
  std::filesystem::create_directories(folder);
  return folder;
}

// Names a page's references by its path, size and time, so a fixture remade at the
// same path is rendered again.
std::string referenceKey(const std::string& page) {
  std::error_code error;
  const auto size = std::filesystem::file_size(page, error);
  const auto time = std::filesystem::last_write_time(page, error).time_since_epoch().count();
  const std::string identity =
      std::filesystem::absolute(page).string() + "|" + std::to_string(size) + "|" + std::to_string(time);
  return std::to_string(std::hash<std::string>{}(identity));
}

// A deterministic colour picture: gradients turned by a swirl and a few shapes.
void makeColorPicture(const std::string& path, int width, int height, const std::string& colors) {
  const std::string size = std::to_string(width) + "x" + std::to_string(height);
  runOrThrow(convertTool() + " -size " + size + " gradient:" + colors + " -swirl 150 -fill '#20a040' -draw 'circle " +
             std::to_string(width / 3) + "," + std::to_string(height / 2) + " " + std::to_string(width / 2) + "," +
             std::to_string(height / 2) + "' " + quoted(path));
}

LayerErrors* currentErrors = nullptr;

int collectError(const char* message, const char* file, int line) {
  if (currentErrors) {
    currentErrors->messages.push_back(message);
    currentErrors->files.push_back(file);
    currentErrors->lines.push_back(line);
  }
  return 1;
}

}  // namespace

bool haveDjvuTools() {
  return haveTool("convert") && haveTool("c44") && haveTool("cjb2") && haveTool("djvumake") &&
         haveTool("djvuextract") && haveTool("ddjvu");
}

bool haveDjvuDocumentTools() {
  return haveDjvuTools() && haveTool("djvm") && haveTool("djvmcvt") && haveTool("djvused");
}

void editWithDjvused(const std::string& path, const std::string& script) {
  runOrThrow("djvused " + quoted(path) + " -e " + quoted(script) + " -s");
}

std::string makeBundle(const TempDir& dir, const std::string& name, const std::vector<std::string>& pages,
                       const std::string& djvusedScript) {
  const std::string out = dir.file(name + ".djvu");
  std::string command = std::string("djvm -c ") + quoted(out);
  for (const std::string& page : pages) command.append(" ").append(quoted(page));
  runOrThrow(command);
  if (!djvusedScript.empty()) editWithDjvused(out, djvusedScript);
  return out;
}

std::string makeIndirect(const TempDir& dir, const std::string& bundle, const std::string& folder) {
  const std::string index = dir.file(folder + "/index.djvu");
  runOrThrow("mkdir -p " + quoted(dir.file(folder)) + " && djvmcvt -i " + quoted(bundle) + " " +
             quoted(dir.file(folder)) + " index.djvu");
  return index;
}

std::string makeBitonalPage(const TempDir& dir, const std::string& name, int width, int height, int dpi) {
  const std::string pbm = dir.file(name + ".pbm"), out = dir.file(name + ".djvu");
  const auto x = [&](int percent) { return std::to_string(width * percent / 100); };
  const auto y = [&](int percent) { return std::to_string(height * percent / 100); };
  runOrThrow(convertTool() + " -size " + std::to_string(width) + "x" + std::to_string(height) +
             " xc:white -fill black -draw 'rectangle " + x(5) + "," + y(5) + " " + x(60) + "," + y(20) +
             "' -draw 'circle " + x(50) + "," + y(55) + " " + x(50) + "," + y(80) + "' -draw 'line " + x(2) + "," +
             y(95) + " " + x(97) + "," + y(30) + "' -monochrome " + quoted(pbm));
  runOrThrow("cjb2 -dpi " + std::to_string(dpi) + " " + quoted(pbm) + " " + quoted(out));
  return out;
}

std::string makePhotoPage(const TempDir& dir, const std::string& name, int width, int height, bool gray) {
  const std::string picture = dir.file(name + (gray ? ".pgm" : ".ppm")), out = dir.file(name + ".djvu");
  makeColorPicture(picture, width, height, "orange-navy");
  if (gray) runOrThrow(convertTool() + " " + quoted(picture) + " -colorspace gray " + quoted(picture));
  runOrThrow("c44 " + quoted(picture) + " " + quoted(out));
  return out;
}

std::string makeIw44File(const TempDir& dir, const std::string& name, int width, int height, bool gray) {
  const std::string page = makePhotoPage(dir, name + "-page", width, height, gray);
  const std::string raw = dir.file(name + ".raw"), out = dir.file(name + ".iw4");
  runOrThrow("djvuextract " + quoted(page) + " BG44=" + quoted(raw));
  std::vector<std::uint8_t> bytes = {'A', 'T', '&', 'T'};
  const std::vector<std::uint8_t> body = readFile(raw);
  bytes.insert(bytes.end(), body.begin(), body.end());
  writeFile(out, bytes);
  return out;
}

std::string makeCompoundPage(const TempDir& dir, const std::string& name, int width, int height, int dpi) {
  const std::string mask = makeBitonalPage(dir, name + "-mask", width, height, dpi);
  const std::string bgPicture = dir.file(name + "-bg.ppm"), fgPicture = dir.file(name + "-fg.ppm");
  makeColorPicture(bgPicture, (width + 2) / 3, (height + 2) / 3, "yellow-navy");
  makeColorPicture(fgPicture, (width + 11) / 12, (height + 11) / 12, "red-green");
  const std::string bgPage = dir.file(name + "-bg.djvu"), fgPage = dir.file(name + "-fg.djvu");
  runOrThrow("c44 " + quoted(bgPicture) + " " + quoted(bgPage));
  runOrThrow("c44 -slice 100 " + quoted(fgPicture) + " " + quoted(fgPage));
  const std::string bg = dir.file(name + ".bg44"), fg = dir.file(name + ".fg44");
  runOrThrow("djvuextract " + quoted(bgPage) + " BG44=" + quoted(bg));
  runOrThrow("djvuextract " + quoted(fgPage) + " BG44=" + quoted(fg));
  const std::string out = dir.file(name + ".djvu");
  runOrThrow("djvumake " + quoted(out) + " INFO=" + std::to_string(width) + "," + std::to_string(height) + "," +
             std::to_string(dpi) + " Sjbz=" + quoted(mask) + " FG44=" + quoted(fg) + " BG44=" + quoted(bg));
  return out;
}

const TempDir& sharedFixtureDir() {
  static TempDir dir;
  return dir;
}

const std::string& largeCompoundPage() {
  static const std::string path = makeCompoundPage(sharedFixtureDir(), "letter", 2550, 3300, 300);
  return path;
}

Reference readPnm(const std::string& path) {
  const std::vector<std::uint8_t> data = readFile(path);
  Reference ref;
  int maxValue = 0, consumed = 0;
  char magic[3] = {};
  if (std::sscanf(reinterpret_cast<const char*>(data.data()), "%2s %d %d %d%n", magic, &ref.width, &ref.height,
                  &maxValue, &consumed) != 4)
    throw std::runtime_error("not a PNM file: " + path);
  ref.channels = std::string(magic) == "P6" ? 3 : 1;
  const std::size_t size = std::size_t(ref.width) * ref.height * ref.channels;
  const std::size_t offset = std::size_t(consumed) + 1;
  if (data.size() < offset + size) throw std::runtime_error("short PNM file: " + path);
  ref.bytes.assign(data.begin() + long(offset), data.begin() + long(offset + size));
  return ref;
}

Reference ddjvuRender(const std::string& page, int subsample, const std::string& mode, bool gray, int pageNumber) {
  const std::string pageOption = pageNumber > 0 ? std::string(" -page=") + std::to_string(pageNumber) : std::string();
  const std::string pageSuffix = pageNumber > 0 ? std::string("p") + std::to_string(pageNumber) : std::string();
  const std::string out = referenceFolder() + "/" + referenceKey(page) + ".ref." + std::to_string(subsample) + mode +
                          pageSuffix + (gray ? ".pgm" : ".ppm");
  if (!fileExists(out))
    runOrThrow("ddjvu -format=" + std::string(gray ? "pgm" : "ppm") + " -subsample=" + std::to_string(subsample) +
               (mode.empty() ? "" : " -mode=" + mode) + pageOption + " " + quoted(page) + " " + quoted(out));
  return readPnm(out);
}

double meanDifference(const Reference& ours, const Reference& ref, int turn) {
  // A size that is not the floor of ddjvu's counts as the largest difference.
  if (!floorOfReferenceSize(ours, ref) || ours.width == 0 || ours.height == 0) return 1e9;
  // Where ddjvu's extra, partly covered pixels lie: right and top of a page as
  // stored, carried round by the page's quarter turns counter-clockwise.
  const int dx = turn == 1 || turn == 2 ? ref.width - ours.width : 0;
  const int dy = turn == 2 || turn == 3 ? 0 : ref.height - ours.height;
  double sum = 0;
  for (int y = 0; y < ours.height; ++y)
    for (int x = 0; x < ours.width; ++x)
      for (int c = 0; c < ours.channels; ++c) sum += std::abs(int(ours.at(x, y)[c]) - int(ref.at(x + dx, y + dy)[c]));
  return sum / (double(ours.width) * ours.height * ours.channels);
}

Reference ddjvuSegment(const std::string& page, int subsample, int width, int height, int x, int y) {
  const std::string segment =
      std::to_string(width) + "x" + std::to_string(height) + "+" + std::to_string(x) + "+" + std::to_string(y);
  const std::string out =
      referenceFolder() + "/" + referenceKey(page) + ".seg." + std::to_string(subsample) + "." + segment + ".ppm";
  runOrThrow("ddjvu -format=ppm -subsample=" + std::to_string(subsample) + " -segment=" + segment + " " + quoted(page) +
             " " + quoted(out));
  return readPnm(out);
}

Reference rasterOf(const Image& image) {
  Reference ref;
  ref.width = image.width;
  ref.height = image.height;
  ref.channels = image.bitsPerPixel / 8;
  ref.bytes.resize(std::size_t(ref.width) * ref.height * ref.channels);
  for (int y = 0; y < image.height; ++y) {
    const int stored = image.rowOrder == kRowsBottomUp ? image.height - 1 - y : y;
    const std::uint8_t* row = image.bits() + std::size_t(stored) * image.stride;
    std::uint8_t* out = ref.bytes.data() + std::size_t(y) * ref.width * ref.channels;
    for (int x = 0; x < image.width; ++x) {
      for (int c = 0; c < ref.channels; ++c)
        out[x * ref.channels + c] = row[x * ref.channels + (ref.channels == 3 ? 2 - c : c)];
    }
  }
  return ref;
}

djvu_halfcoded_image* decodeFile(const std::string& path) {
  std::unique_ptr<std::FILE, decltype(&std::fclose)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!file) return nullptr;
  return djvu_halfcoded_image_decode(nullptr, file.get());
}

std::uint8_t maskTable(std::uint8_t libraryValue, int q, int layer) {
  const int levels = q > 1 ? q * q + 1 : 2;
  // The library writes level i as 255 - round(i * 255 / (levels - 1)).
  int level = 0;
  while (level < levels - 1 && 255 - (level * 255 + (levels - 1) / 2) / (levels - 1) != libraryValue) ++level;
  if (layer == DJVU_LAYER_BLACKANDWHITE) return level == levels - 1 ? 0 : 255;
  return std::uint8_t((levels - 1 - level) * 255 / (levels - 1));
}

LayerErrors::LayerErrors() {
  currentErrors = this;
  djvu_set_error_handler(collectError);
}

LayerErrors::~LayerErrors() {
  djvu_set_error_handler(nullptr);
  currentErrors = nullptr;
}

bool LayerErrors::has(const std::string& message) const {
  for (const auto& m : messages)
    if (m == message) return true;
  return false;
}

}  // namespace orlim::test
