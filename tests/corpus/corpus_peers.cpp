#include "corpus/corpus_peers.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "support/test_support.h"

namespace orlim::test {

namespace fs = std::filesystem;

namespace {

std::string quoted(const std::string& s) { return "'" + s + "'"; }

std::string lowerExtension(const std::string& path) {
  std::string ext = fs::path(path).extension().string();
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

// One way of decoding a file into the PNM file `out`; the exit status tells.
struct PeerCommand {
  std::string name;
  std::string command;
};

// bmpsuite ships the picture each of its files should show: its page names it
// in the file's row ("<td class=q>q/NAME.bmp</td> ... <img src="REF.png">"),
// else it carries the file's own name.
std::string bmpsuiteReference(const std::string& corpusRoot, const std::string& relative) {
  const std::string prefix = "bmp/bmpsuite/";
  if (relative.rfind(prefix, 0) != 0) return {};
  const std::string refDir = corpusRoot + "/" + prefix + "ref/";
  std::ifstream page(refDir + "bmpsuite.html");
  const std::string html((std::istreambuf_iterator<char>(page)), std::istreambuf_iterator<char>());
  std::string cell = ">";  // appended: GCC 12 warns falsely (-Wrestrict) on "x" + string
  cell.append(relative, prefix.size()).append("</td>");
  const std::size_t row = html.find(cell);
  if (row != std::string::npos) {
    const std::size_t img = html.find("<img src=\"", row), end = html.find("</tr>", row);
    if (img != std::string::npos && img < end) {
      const std::size_t start = img + 10;
      const std::string name = html.substr(start, html.find('"', start) - start);
      if (name.size() > 4 && name.compare(name.size() - 4, 4, ".png") == 0 && name.find('/') == std::string::npos)
        return fileExists(refDir + name) ? refDir + name : std::string();
    }
  }
  const std::string ref = refDir + fs::path(relative).stem().string() + ".png";
  return fileExists(ref) ? ref : std::string();
}

// The decoders to try, best first. Transparency: ORLIM ignores a BMP's alpha, so
// the reference is taken without it; TIFF pages with alpha are shown over white.
std::vector<PeerCommand> peersFor(const std::string& corpusRoot, const std::string& relative, const std::string& out) {
  const std::string file = corpusRoot + "/" + relative;
  const std::string ext = lowerExtension(relative);
  const std::string magick = "timeout 120 " + convertTool() + " ";
  const std::string quiet = " >/dev/null 2>&1";
  std::vector<PeerCommand> peers;
  if (ext == ".bmp") {
    const std::string ref = bmpsuiteReference(corpusRoot, relative);
    if (!ref.empty())
      peers.push_back({"bmpsuite reference", magick + quoted(ref) + " -alpha off -depth 8 ppm:" + quoted(out) + quiet});
    peers.push_back({"imagemagick", magick + quoted(file + "[0]") + " -alpha off -depth 8 ppm:" + quoted(out) + quiet});
  } else if (ext == ".jpg" || ext == ".jpeg") {
    // djpeg exits 2 after warnings (damaged data it decoded anyway): its picture counts.
    peers.push_back({"djpeg", "timeout 120 djpeg -outfile " + quoted(out) + " " + quoted(file) + quiet +
                                  "; test $? -eq 0 -o $? -eq 2"});
  } else if (ext == ".tif" || ext == ".tiff") {
    const std::string rgba = out + ".rgba.tif";
    peers.push_back({"tiff2rgba", "timeout 120 tiff2rgba -c none " + quoted(file) + " " + quoted(rgba) + quiet +
                                      " && " + magick + quoted(rgba + "[0]") +
                                      " -background white -alpha remove -depth 8 ppm:" + quoted(out) + quiet +
                                      "; status=$?; rm -f " + quoted(rgba) + "; exit $status"});
    peers.push_back({"imagemagick", magick + quoted(file + "[0]") +
                                        " -background white -alpha remove -depth 8 ppm:" + quoted(out) + quiet});
  } else if (ext == ".djvu" || ext == ".djv" || ext == ".iw4" || ext == ".iw44") {
    peers.push_back({"ddjvu", "timeout 120 ddjvu -format=ppm -page=1 " + quoted(file) + " " + quoted(out) + quiet});
  } else if (ext == ".pbm" || ext == ".pgm" || ext == ".ppm" || ext == ".pnm") {
    peers.push_back({"imagemagick", magick + quoted(file + "[0]") + " -depth 8 ppm:" + quoted(out) + quiet});
  }
  return peers;
}

int pnmNumber(std::istream& in) {
  in >> std::ws;
  while (in.peek() == '#') {
    std::string comment;
    std::getline(in, comment);
    in >> std::ws;
  }
  int v = -1;
  in >> v;
  return v;
}

// Binary gray (P5) and pixel (P6) maps with 8-bit samples, as the peers write them.
std::optional<PeerPicture> readPnm(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string magic(2, '\0');
  if (!in.read(magic.data(), 2) || (magic != "P5" && magic != "P6")) return std::nullopt;
  PeerPicture p;
  p.width = pnmNumber(in);
  p.height = pnmNumber(in);
  const int maximum = pnmNumber(in);
  if (p.width <= 0 || p.height <= 0 || maximum != 255) return std::nullopt;
  in.get();  // the one white-space byte before the samples
  const std::size_t pixels = std::size_t(p.width) * p.height;
  const int channels = magic == "P5" ? 1 : 3;
  std::vector<std::uint8_t> samples(pixels * channels);
  if (!in.read(reinterpret_cast<char*>(samples.data()), std::streamsize(samples.size()))) return std::nullopt;
  if (channels == 3) {
    p.rgb = std::move(samples);
  } else {
    p.rgb.resize(pixels * 3);
    for (std::size_t i = 0; i < pixels; ++i) p.rgb[3 * i] = p.rgb[3 * i + 1] = p.rgb[3 * i + 2] = samples[i];
  }
  return p;
}

}  // namespace

std::optional<PeerPicture> peerDecode(const std::string& corpusRoot, const std::string& relative,
                                      const std::string& cacheDir) {
  fs::create_directories(cacheDir);
  std::string key = relative;
  for (char& c : key)
    if (c == '/') c = '~';
  std::error_code error;
  key.append(".").append(std::to_string(fs::file_size(corpusRoot + "/" + relative, error)));
  const std::string out = cacheDir + "/" + key + ".pnm";
  const std::string none = cacheDir + "/" + key + ".none";
  const std::string peerName = cacheDir + "/" + key + ".peer";
  if (fileExists(none)) return std::nullopt;
  if (!fileExists(out)) {
    bool decoded = false;
    for (const PeerCommand& peer : peersFor(corpusRoot, relative, out + ".part")) {
      if (run(peer.command) == 0 && readPnm(out + ".part")) {
        fs::rename(out + ".part", out);
        std::ofstream(peerName) << peer.name;
        decoded = true;
        break;
      }
    }
    fs::remove(out + ".part", error);
    if (!decoded) {
      std::ofstream(none) << "no peer decodes this file\n";
      return std::nullopt;
    }
  }
  std::optional<PeerPicture> picture = readPnm(out);
  if (picture) {
    std::ifstream name(peerName);
    std::getline(name, picture->peer);
  }
  return picture;
}

}  // namespace orlim::test
