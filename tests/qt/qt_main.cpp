// The Qt tests' main: a QApplication around the GoogleTest run (none when the
// tests are only listed, so listing needs no display).
#include <gtest/gtest.h>

#include <QApplication>
#include <cstring>
#include <memory>

int main(int argc, char** argv) {
  bool listing = false;
  for (int i = 1; i < argc; ++i) listing = listing || std::strcmp(argv[i], "--gtest_list_tests") == 0;
#ifdef ORLIM_QT_OFFSCREEN
  qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
  std::unique_ptr<QApplication> application;
  if (!listing) {
    application = std::make_unique<QApplication>(argc, argv);
    QApplication::setApplicationDisplayName("ORLIM test host");
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
