// The questions the viewer asks its user, behind one interface so that the
// window's commands are the same whether a person answers in dialogs
// (QtPrompts) or a test answers from a script.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace orlim::viewer {

enum class SaveFormat { Tiff, Jpeg, Bmp, Pnm };

// What the save methods take beyond the file name.
struct SaveOptions {
  int tiffCompression = 1;  // the TIFF Compression tag value
  int jpegQuality = 75;
  QString comment;
  bool appendPage = false;  // TIFF: a further page of an existing file
};

struct OpenRequest {
  QString folder;
  int filterIndex = 7;  // 1-based, into the open filter's pairs
};
struct OpenAnswer {
  QString path;
  int filterIndex = 7;
};

struct ResizeRequest {
  int width = 0;
  int height = 0;
  int filter = 1;  // 0 centre sample, 1 peaked window, 2 plain average
};

class Prompts {
 public:
  virtual ~Prompts() = default;
  virtual std::optional<OpenAnswer> openFile(QWidget* parent, const OpenRequest& request) = 0;
  // A file name to save to; `format` is the one preset (the user may pick
  // another filter); empty when cancelled.
  virtual QString saveFile(QWidget* parent, const QString& title, const QString& folder, SaveFormat& format) = 0;
  // Options for `format`; `depth` decides which TIFF compressions are offered.
  virtual std::optional<SaveOptions> saveOptions(QWidget* parent, SaveFormat format, int depth) = 0;
  virtual bool confirmOverwrite(QWidget* parent, const QString& path) = 0;
  virtual std::optional<ResizeRequest> resize(QWidget* parent, const ResizeRequest& current) = 0;
  virtual std::optional<int> page(QWidget* parent, int current, int pages) = 0;
  virtual void error(QWidget* parent, const QString& text) = 0;
};

// The dialogs a person answers.
class QtPrompts : public Prompts {
 public:
  std::optional<OpenAnswer> openFile(QWidget* parent, const OpenRequest& request) override;
  QString saveFile(QWidget* parent, const QString& title, const QString& folder, SaveFormat& format) override;
  std::optional<SaveOptions> saveOptions(QWidget* parent, SaveFormat format, int depth) override;
  bool confirmOverwrite(QWidget* parent, const QString& path) override;
  std::optional<ResizeRequest> resize(QWidget* parent, const ResizeRequest& current) override;
  std::optional<int> page(QWidget* parent, int current, int pages) override;
  void error(QWidget* parent, const QString& text) override;
};

}  // namespace orlim::viewer
