#include "platform/Registry.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "platform/Guid.h"
#include "support/test_support.h"

namespace orlim {
namespace {

TEST(Guid, BracedFormParsesAndFormatsBack) {
  GUID g;
  ASSERT_TRUE(parseGuid("{a4a31a68-5be4-11d3-9061-0000c0fe2ce5}", g));
  EXPECT_EQ(g.Data1, 0xA4A31A68u);
  EXPECT_EQ(g.Data2, 0x5BE4);
  EXPECT_EQ(g.Data4[7], 0xE5);
  EXPECT_EQ(formatGuid(g), "{A4A31A68-5BE4-11D3-9061-0000C0FE2CE5}");
  for (const char* bad : {"", "A4A31A68-5BE4-11D3-9061-0000C0FE2CE5", "{A4A31A68-5BE4-11D3-9061-0000C0FE2CE}",
                          "{A4A31A68-5BE4-11D3-9061-0000C0FE2CE5 }", "{A4A31A68+5BE4-11D3-9061-0000C0FE2CE5}",
                          "{A4A31A6G-5BE4-11D3-9061-0000C0FE2CE5}", "{A4A31A68-5BE4-11D3-90610-000C0FE2CE5}"})
    EXPECT_FALSE(parseGuid(bad, g)) << bad;
}

TEST(Registry, TextFormReadsBackWithEscapesAndRefusesDamage) {
  RegistryTree tree;
  ASSERT_TRUE(tree.set("CLSID\\{X}\\InprocServer32", "/a \"b\"\\c\nd"));
  ASSERT_TRUE(tree.set("clsid\\{x}", "first"));
  EXPECT_FALSE(tree.set("a\\\\b", "empty name"));
  EXPECT_FALSE(tree.set("a = b", "separator in a name"));
  RegistryTree read;
  std::string error;
  ASSERT_TRUE(RegistryTree::parse(tree.format(), read, error)) << error;
  EXPECT_EQ(read.entries(), tree.entries());
  ASSERT_NE(read.value("Clsid\\{X}\\INPROCSERVER32"), nullptr);  // paths ignore case
  EXPECT_EQ(read.subkeys("CLSID"), std::vector<std::string>{"{x}"});

  for (const char* damaged : {"key = value\n", "key = \"open\n", "key = \"bad \\q escape\"\n", "\\key = \"v\"\n",
                              "key = \"v\" trailing\n", "just words\n"}) {
    EXPECT_FALSE(RegistryTree::parse(std::string("# ok\nfine = \"1\"\n") + damaged, read, error)) << damaged;
    EXPECT_EQ(error, "line 3 is not a key") << damaged;
  }
}

TEST(Registry, LocationComesFromTheEnvironmentInOrder) {
  struct Case {
    const char* registry;
    const char* dataHome;
    const char* home;
    const char* expected;
  };
  const Case cases[] = {
      {"/r/file", "/data", "/home/u", "/r/file"},
      {nullptr, "/data", "/home/u", "/data/orlim/registry"},
      {nullptr, "relative", "/home/u", "/home/u/.local/share/orlim/registry"},
      {nullptr, nullptr, "/home/u", "/home/u/.local/share/orlim/registry"},
  };
  const std::string saved[3] = {std::getenv("ORLIM_REGISTRY") ?: "", std::getenv("XDG_DATA_HOME") ?: "",
                                std::getenv("HOME") ?: ""};
  auto put = [](const char* name, const char* value) { value ? setenv(name, value, 1) : unsetenv(name); };
  for (const Case& c : cases) {
    put("ORLIM_REGISTRY", c.registry);
    put("XDG_DATA_HOME", c.dataHome);
    put("HOME", c.home);
    EXPECT_EQ(defaultRegistryLocation(), c.expected);
  }
  put("ORLIM_REGISTRY", saved[0].c_str());
  put("XDG_DATA_HOME", saved[1].empty() ? nullptr : saved[1].c_str());
  put("HOME", saved[2].c_str());
}

TEST(Registry, ConcurrentWritersLoseNoKeyAndARefusedChangeWritesNothing) {
  test::TempDir dir;
  TextFileRegistry registry(dir.file("deep/folder/registry"));
  constexpr int kWriters = 4, kKeysEach = 15;
  std::vector<pid_t> writers;
  for (int w = 0; w < kWriters; ++w) {
    const pid_t pid = fork();
    if (pid == 0) {
      for (int k = 0; k < kKeysEach; ++k) {
        std::string error;
        const std::string key = std::to_string(w) + "\\" + std::to_string(k);
        registry.update([&key](RegistryTree& t) { return t.set(key, "x"); }, error);
      }
      _exit(0);
    }
    writers.push_back(pid);
  }
  for (pid_t pid : writers) waitpid(pid, nullptr, 0);
  RegistryTree tree;
  std::string error;
  ASSERT_TRUE(registry.read(tree, error)) << error;
  EXPECT_EQ(tree.entries().size(), static_cast<std::size_t>(kWriters * kKeysEach));

  const std::vector<std::uint8_t> before = test::readFile(dir.file("deep/folder/registry"));
  EXPECT_FALSE(registry.update([](RegistryTree& t) { return t.remove("0\\0") && false; }, error));
  EXPECT_EQ(test::readFile(dir.file("deep/folder/registry")), before);
}

}  // namespace
}  // namespace orlim
