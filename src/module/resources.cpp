#include "module/resources.h"

namespace orlim {

const char* resourceString(int id) {
  switch (id) {
    case 1: return "Orlim Control";
    case 2: return "Orlim Property Page";
    case 200: return "General";
    case 201: return "Orlim Property Page (Display)";
    case 202: return "Display";
    default: return nullptr;
  }
}

const VersionRecord& versionResource() {
  static const VersionRecord record{
      {2, 10, 0, 0}, {2, 10, 0, 0}, "Orlim ActiveX Control Module", "Orlim ActiveX Control Module",
      "ORLIM",       "ORLIM.OCX"};
  return record;
}

std::string versionText(const int (&version)[4]) {
  return std::to_string(version[0]) + "." + std::to_string(version[1]) + "." + std::to_string(version[2]) + "." +
         std::to_string(version[3]);
}

namespace {

// A picture frame with a mountain, the toolbox face of the control (16 x 15).
const PixelArt kToolboxBitmap{1,
                              0,
                              0,
                              {
                                  "################",
                                  "#oooooooooooooo#",
                                  "#oooooooooo##oo#",
                                  "#ooooooooo####o#",
                                  "#oooooooooo##oo#",
                                  "#oooooooooooooo#",
                                  "#oooo#ooooooooo#",
                                  "#ooo###oooooooo#",
                                  "#oo#####ooo#ooo#",
                                  "#o#######o###oo#",
                                  "#############o##",
                                  "################",
                                  "#oooooooooooooo#",
                                  "################",
                                  "                ",
                              }};

const PixelArt kClosedHand{203,
                           8,
                           8,
                           {
                               "                ",
                               "                ",
                               "                ",
                               "                ",
                               "    ## ## ##    ",
                               "   #oo#oo#oo##  ",
                               "   #oooooooo#o# ",
                               "  ##oooooooooo# ",
                               " #o#ooooooooo#  ",
                               " #oooooooooooo# ",
                               "  #ooooooooooo# ",
                               "   #oooooooooo# ",
                               "    #oooooooo#  ",
                               "     #ooooooo#  ",
                               "     #ooooooo#  ",
                               "                ",
                           }};

const PixelArt kOpenHand{204,
                         8,
                         8,
                         {
                             "       ##       ",
                             "   ## #oo###    ",
                             "  #oo##oo#oo#   ",
                             "  #oo##oo#oo# # ",
                             "   #oo#oo#oo##o#",
                             "   #oo#oo#oo#oo#",
                             " ## #oooooooooo#",
                             "#oo##ooooooooo# ",
                             "#ooo#ooooooooo# ",
                             " #oooooooooooo# ",
                             "  #ooooooooooo# ",
                             "  #oooooooooo#  ",
                             "   #ooooooooo#  ",
                             "    #oooooooo#  ",
                             "     #ooooooo#  ",
                             "     #ooooooo#  ",
                         }};

}  // namespace

const PixelArt* bitmapResource(int id) { return id == kToolboxBitmap.id ? &kToolboxBitmap : nullptr; }

const PixelArt* cursorResource(int id) {
  if (id == kClosedHand.id) return &kClosedHand;
  if (id == kOpenHand.id) return &kOpenHand;
  return nullptr;
}

}  // namespace orlim
