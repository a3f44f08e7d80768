// A type library as data: the enumerations, dispatch interfaces (their members
// are the dispatch tables the objects really answer to) and classes of a
// module, printable as IDL. A module makes its libraries known to the process
// when it loads; objects find their type information there.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/Dispatch.h"
#include "platform/Guid.h"
#include "platform/orlim_api.h"

namespace orlim {

struct EnumDescription {
  const char* name;
  std::vector<std::pair<const char*, int>> values;
};

struct InterfaceDescription {
  const char* name;
  IID iid;
  const char* helpString;
  const DispatchTable* table;
};

struct ClassDescription {
  const char* name;
  CLSID clsid;
  const char* helpString;
  const char* defaultInterface;  // interface names in the same library
  const char* defaultSource;
  bool control;
};

struct ORLIM_API TypeLibrary {
  const char* name;
  GUID libid;
  unsigned short majorVersion;
  unsigned short minorVersion;
  unsigned lcid;
  const char* helpString;
  // Types the library takes from the standard OLE library.
  std::vector<const char*> imported;
  std::vector<EnumDescription> enums;
  std::vector<InterfaceDescription> interfaces;
  std::vector<ClassDescription> classes;

  const InterfaceDescription* findInterface(const IID& iid) const;
  // "1.0"
  std::string versionText() const;
};

// The library as IDL text: attributes, imports, enumerations, each dispatch
// interface with its properties and methods at their dispatch ids, the classes.
ORLIM_API std::string formatIdl(const TypeLibrary& library);

// The libraries of the loaded module, by identifier: what a type-library load
// finds. `get` is called when the library is first asked for.
ORLIM_API void addLoadedTypeLibrary(const GUID& libid, const TypeLibrary& (*get)());
// The library of that identifier and at least that version; null when none.
ORLIM_API const TypeLibrary* loadTypeLibrary(const GUID& libid, unsigned short major, unsigned short minor);

}  // namespace orlim
