// What other decoders make of a corpus file: the suite's own reference picture,
// djpeg, ddjvu, libtiff's tiff2rgba or imagemagick, kept in a cache folder so
// that a second run (and the second build) decodes nothing again.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orlim::test {

struct PeerPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // rows top to bottom, red-green-blue bytes
  std::string peer;               // which decoder made it
};

// The peer decode of `relative` (a path below `corpusRoot`), or nothing when no
// peer can decode it. `cacheDir` holds earlier decodes.
std::optional<PeerPicture> peerDecode(const std::string& corpusRoot, const std::string& relative,
                                      const std::string& cacheDir);

}  // namespace orlim::test
