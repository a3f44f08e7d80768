#include "module/type_library.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "control/OrlimCtrl.h"
#include "control/class_ids.h"
#include "support/test_support.h"

namespace orlim {
namespace {

struct IdlMember {
  DISPID id;
  std::string name;
  bool property;
  bool operator==(const IdlMember&) const = default;
};

// The members of one dispinterface block of the IDL text, in order.
std::vector<IdlMember> idlMembers(const std::string& idl, const std::string& interfaceName) {
  std::vector<IdlMember> members;
  std::istringstream in(idl);
  bool inside = false, properties = false;
  const std::regex member(R"(\[id\((-?\d+)\)[^\]]*\] [\w*]+ (\w+))");
  for (std::string line; std::getline(in, line);) {
    if (line == "\tdispinterface " + interfaceName) inside = true;
    if (!inside) continue;
    if (line == "\t};") break;
    if (line.find("properties:") != std::string::npos) properties = true;
    if (line.find("methods:") != std::string::npos) properties = false;
    std::smatch m;
    if (std::regex_search(line, m, member)) members.push_back({std::stoi(m[1]), m[2], properties});
  }
  return members;
}

std::vector<IdlMember> tableMembers(const DispatchTable& table) {
  std::vector<IdlMember> members;
  for (bool properties : {true, false})
    for (const MemberInfo& m : table.members())
      if ((m.kind == MemberKind::Property) == properties) members.push_back({m.id, m.name, properties});
  return members;
}

TEST(TypeLibrary, TheIdlOfTheCliListsTheControlsDispatchTables) {
  std::string idl;
  ASSERT_EQ(test::run(std::string(ORLIM_CLI_PATH) + " typelib", &idl), 0);
  EXPECT_EQ(idlMembers(idl, "_DOrlim"), tableMembers(COrlimCtrl::dispatchInterface()));
  EXPECT_EQ(idlMembers(idl, "_DOrlimEvents"), tableMembers(COrlimCtrl::eventInterface()));
  EXPECT_EQ(idlMembers(idl, "_DOrlim").size(), 75u);  // 3 stock, 48 own properties, 24 methods
  for (const char* expected :
       {"library ORLIMLib", "uuid(7D61F7A6-82F0-11D2-905D-00E0290C674A), version(1.0)",
        "[id(2), readonly] long ImageWidth;", "BOOL SaveSelectionAsTiff(BSTR lpszPathName, short nCompression",
        "} enumDjvuLayer;", "coclass Orlim", "[default, source] dispinterface _DOrlimEvents;"})
    EXPECT_NE(idl.find(expected), std::string::npos) << expected;
}

TEST(TypeLibrary, TheControlsTypeInfoIsItsInterfaceInTheLoadedLibrary) {
  COrlimCtrl control;
  UINT count = 0;
  EXPECT_EQ(control.GetTypeInfoCount(count), S_OK);
  EXPECT_EQ(count, 1u);
  const InterfaceDescription* info = nullptr;
  ASSERT_EQ(control.GetTypeInfo(0, info), S_OK);
  EXPECT_EQ(info->iid, DIID__DOrlim);
  EXPECT_EQ(info->table, &control.dispatchTable());
  EXPECT_EQ(control.GetTypeInfo(1, info), DISP_E_BADINDEX);
  EXPECT_EQ(loadTypeLibrary(LIBID_ORLIMLib, 2, 0), nullptr);  // no such version
}

TEST(TypeLibrary, NamedParametersResolveToTheirPositions) {
  COrlimCtrl control;
  std::vector<DISPID> ids;
  EXPECT_EQ(control.GetIDsOfNames({"saveastiff", "BAPPEND", "lpszPathName"}, ids), S_OK);
  EXPECT_EQ(ids, (std::vector<DISPID>{dispidSaveAsTiff, 4, 0}));
  EXPECT_EQ(control.GetIDsOfNames({"SaveAsTiff", "nCompression"}, ids), DISP_E_UNKNOWNNAME);  // spelled nCompresson
  EXPECT_EQ(ids, (std::vector<DISPID>{dispidSaveAsTiff, DISPID_UNKNOWN}));
  EXPECT_EQ(control.GetIDsOfNames({"Nothing"}, ids), DISP_E_UNKNOWNNAME);
}

}  // namespace
}  // namespace orlim
