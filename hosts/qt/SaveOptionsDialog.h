// The small dialog before a TIFF or JPEG save: TIFF compression (those the
// picture's depth allows), JPEG quality (also for JPEG-compressed TIFF),
// comment, and for TIFF whether to append the picture as a further page.
#pragma once

#include <QDialog>

#include "Prompts.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

namespace orlim::viewer {

class SaveOptionsDialog : public QDialog {
  Q_OBJECT
 public:
  SaveOptionsDialog(QWidget* parent, SaveFormat format, int depth);
  SaveOptions options() const;

 private:
  QComboBox* compression_ = nullptr;
  QSpinBox* quality_ = nullptr;
  QLineEdit* comment_ = nullptr;
  QCheckBox* append_ = nullptr;
};

}  // namespace orlim::viewer
