#include "module/type_library.h"

#include "control/OrlimCtrl.h"
#include "control/class_ids.h"

namespace orlim {

namespace {

TypeLibrary buildOrlimLib() {
  // Aggregate order: name, identifier, version, locale, help string, imports,
  // enumerations, interfaces, classes.
  TypeLibrary lib{"ORLIMLib",
                  LIBID_ORLIMLib,
                  1,
                  0,
                  1033,
                  "Orlim ActiveX Control module",
                  {"OLE_COLOR", "IFontDisp", "OLE_XPOS_PIXELS", "OLE_YPOS_PIXELS"},
                  {},
                  {},
                  {}};
  lib.enums = {
      {"enumAutoFit", {{"None", kAutoFitNone}, {"Width", kAutoFitWidth}, {"Image", kAutoFitImage}}},
      {"enumDjvuLayer",
       {{"COLOR", kLayerColor},
        {"BLACKANDWHITE", kLayerBlackAndWhite},
        {"BACKGROUND", kLayerBackground},
        {"FOREGROUND", kLayerForeground}}},
  };
  lib.interfaces = {
      {"_DOrlim", DIID__DOrlim, "Dispatch interface for Orlim Control", &COrlimCtrl::dispatchInterface()},
      {"_DOrlimEvents", DIID__DOrlimEvents, "Event interface for Orlim Control", &COrlimCtrl::eventInterface()},
  };
  lib.classes = {{"Orlim", CLSID_OrlimCtrl, "Orlim Control", "_DOrlim", "_DOrlimEvents", true}};
  return lib;
}

}  // namespace

const TypeLibrary& orlimTypeLibrary() {
  static const TypeLibrary library = buildOrlimLib();
  return library;
}

}  // namespace orlim
