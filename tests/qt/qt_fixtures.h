// Fixtures of the Qt backend tests: pictures to show, `orlim show` as the
// reference of what a window must look like, and waiting for paints.
#pragma once

#include <QImage>
#include <QRect>
#include <functional>
#include <string>
#include <vector>

#include "QtWindow.h"
#include "orlim/OrlimWidget.h"
#include "support/test_support.h"

namespace orlim::test {

// The bundled 400 x 300 sample written by `orlim sample`.
std::string samplePicture(const TempDir& dir);
// A page of the shared corpus by its path below the corpus folder; empty when absent.
std::string corpusFile(const std::string& name);

// `orlim show FILE --size WxH OPTIONS` as an RGB32 image (null when it failed).
QImage orlimShow(const TempDir& dir, const std::string& file, int width, int height,
                 const std::vector<std::string>& options);
// Pixels of `area` whose red, green or blue differ (the unused fourth byte is not compared).
int differingPixels(const QImage& a, const QImage& b, const QRect& area);

QtWindow& windowOf(const OrlimWidget& widget);
// Processes events until no paint waits (and at least once).
void settle(OrlimWidget& widget);
// Runs `step` from the event loop the next time it turns (inside a modal loop, say).
void soon(std::function<void()> step);

}  // namespace orlim::test
