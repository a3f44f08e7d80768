#include <map>
#include <sstream>

#include "platform/TypeLibrary.h"

namespace orlim {

namespace {

struct GuidLess {
  bool operator()(const GUID& a, const GUID& b) const { return formatGuid(a) < formatGuid(b); }
};

std::map<GUID, const TypeLibrary& (*)(), GuidLess>& loadedLibraries() {
  static std::map<GUID, const TypeLibrary& (*)(), GuidLess> libraries;
  return libraries;
}

// The uuid attribute spells the GUID without braces.
std::string bareGuid(const GUID& g) {
  const std::string braced = formatGuid(g);
  return braced.substr(1, braced.size() - 2);
}

void printMember(std::ostringstream& out, const MemberInfo& m) {
  out << "\t\t\t[id(" << m.id << ")";
  if (m.kind == MemberKind::Property && m.readOnly) out << ", readonly";
  out << "] " << m.typeName << ' ' << m.name;
  if (m.kind == MemberKind::Method) {
    out << '(';
    for (std::size_t i = 0; i < m.params.size(); ++i)
      out << (i ? ", " : "") << m.params[i].typeName << ' ' << m.params[i].name;
    out << ')';
  }
  out << ";\n";
}

void printInterface(std::ostringstream& out, const InterfaceDescription& i) {
  out << "\t[ uuid(" << bareGuid(i.iid) << "),\n\t  helpstring(\"" << i.helpString << "\") ]\n";
  out << "\tdispinterface " << i.name << "\n\t{\n\t\tproperties:\n";
  for (const MemberInfo& m : i.table->members())
    if (m.kind == MemberKind::Property) printMember(out, m);
  out << "\t\tmethods:\n";
  for (const MemberInfo& m : i.table->members())
    if (m.kind == MemberKind::Method) printMember(out, m);
  out << "\t};\n\n";
}

void printClass(std::ostringstream& out, const ClassDescription& c) {
  out << "\t[ uuid(" << bareGuid(c.clsid) << "),\n\t  helpstring(\"" << c.helpString << "\")"
      << (c.control ? ", control" : "") << " ]\n";
  out << "\tcoclass " << c.name << "\n\t{\n";
  if (c.defaultInterface) out << "\t\t[default] dispinterface " << c.defaultInterface << ";\n";
  if (c.defaultSource) out << "\t\t[default, source] dispinterface " << c.defaultSource << ";\n";
  out << "\t};\n\n";
}

}  // namespace

const InterfaceDescription* TypeLibrary::findInterface(const IID& iid) const {
  for (const InterfaceDescription& i : interfaces)
    if (i.iid == iid) return &i;
  return nullptr;
}

std::string TypeLibrary::versionText() const {
  return std::to_string(majorVersion) + "." + std::to_string(minorVersion);
}

std::string formatIdl(const TypeLibrary& library) {
  std::ostringstream out;
  out << "[ uuid(" << bareGuid(library.libid) << "), version(" << library.versionText() << "),\n  lcid(" << library.lcid
      << "), helpstring(\"" << library.helpString << "\") ]\n";
  out << "library " << library.name << "\n{\n\timportlib(\"stdole32.tlb\");\n\timportlib(\"stdole2.tlb\");\n";
  out << "\t// from the standard OLE library:";
  for (const char* name : library.imported) out << ' ' << name;
  out << "\n\n";
  for (const EnumDescription& e : library.enums) {
    out << "\ttypedef enum {\n";
    for (std::size_t v = 0; v < e.values.size(); ++v)
      out << "\t\t" << e.values[v].first << " = " << e.values[v].second << (v + 1 < e.values.size() ? ",\n" : "\n");
    out << "\t} " << e.name << ";\n\n";
  }
  for (const InterfaceDescription& i : library.interfaces) printInterface(out, i);
  for (const ClassDescription& c : library.classes) printClass(out, c);
  out << "};\n";
  return out.str();
}

void addLoadedTypeLibrary(const GUID& libid, const TypeLibrary& (*get)()) { loadedLibraries()[libid] = get; }

const TypeLibrary* loadTypeLibrary(const GUID& libid, unsigned short major, unsigned short minor) {
  const auto found = loadedLibraries().find(libid);
  if (found == loadedLibraries().end()) return nullptr;
  const TypeLibrary& library = found->second();
  if (library.majorVersion != major || library.minorVersion < minor) return nullptr;
  return &library;
}

}  // namespace orlim
