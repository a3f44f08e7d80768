// OrlimWidget: the ORLIM image control as a QWidget a Qt application puts
// anywhere. The widget creates and owns the control and its window; the
// control's automation interface is reached by member name (case does not
// matter), its main properties also as typed Qt properties whose change signals
// follow the control's own change notifications, and each control event is a
// Qt signal with the event's arguments.
//
//   orlim::OrlimWidget view;
//   view.setPicture("page.djvu");
//   view.show();
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QWidget>
#include <memory>

#include "platform/orlim_api.h"

namespace orlim {

class ORLIM_API OrlimWidget : public QWidget {
  Q_OBJECT
  Q_PROPERTY(QString picture READ picture WRITE setPicture NOTIFY pictureChanged)
  Q_PROPERTY(int zoomLevel READ zoomLevel WRITE setZoomLevel NOTIFY zoomLevelChanged)
  Q_PROPERTY(int autoFit READ autoFit WRITE setAutoFit NOTIFY autoFitChanged)
  Q_PROPERTY(int djvuLayer READ djvuLayer WRITE setDjvuLayer NOTIFY djvuLayerChanged)
  Q_PROPERTY(int currentPage READ currentPage WRITE setCurrentPage NOTIFY currentPageChanged)
  Q_PROPERTY(int pages READ pages NOTIFY pagesChanged)
  Q_PROPERTY(bool dither READ dither WRITE setDither NOTIFY ditherChanged)
  Q_PROPERTY(bool fancyZoom READ fancyZoom WRITE setFancyZoom NOTIFY fancyZoomChanged)
  Q_PROPERTY(bool scrollBars READ scrollBars NOTIFY scrollBarsChanged)
  Q_PROPERTY(int scrollPosX READ scrollPosX WRITE setScrollPosX NOTIFY scrollPosXChanged)
  Q_PROPERTY(int scrollPosY READ scrollPosY WRITE setScrollPosY NOTIFY scrollPosYChanged)
  Q_PROPERTY(int viewMode READ viewMode WRITE setViewMode NOTIFY viewModeChanged)
  Q_PROPERTY(int imageWidth READ imageWidth NOTIFY imageSizeChanged)
  Q_PROPERTY(int imageHeight READ imageHeight NOTIFY imageSizeChanged)

 public:
  explicit OrlimWidget(QWidget* parent = nullptr);
  ~OrlimWidget() override;

  // --- the automation interface by name ---
  // These take the control's member names ("ZoomLevel", "SelectionRectangle"...)
  // and hide QObject's property()/setProperty() of the same names; the typed
  // Qt properties below stay reachable through the meta-object as usual.
  // A property's value; an invalid QVariant when the control has no such property.
  QVariant property(const QString& name) const;
  // Sets a property; false when the control refused (unknown or read-only
  // member, a value of the wrong type).
  bool setProperty(const QString& name, const QVariant& value);
  // Calls a method; its result (invalid for a method without one or a failed call).
  QVariant call(const QString& name, const QVariantList& args = {});
  // The result code of the last property or call above (0 for success).
  int lastResult() const;

  // Runs one of the control's verbs by the name a container's menu shows
  // ("Properties" opens its property sheet); false for a verb it does not have.
  bool doVerb(const QString& name);

  // The control's persisted properties as a property-bag file ("Name = value"
  // lines), as a container keeps them between sessions. Loading a file that is
  // missing or unreadable returns false and leaves the control as it was.
  bool saveProperties(const QString& path) const;
  bool loadProperties(const QString& path);

  // --- typed properties ---
  // Values of autoFit (the type library's enumAutoFit) and of viewMode.
  enum AutoFitMode : int { kAutoFitNone = 0, kAutoFitWidth = 1, kAutoFitImage = 2 };
  enum ViewMode : int { kPanMode = 0, kSelectionMode = 1 };
  QString picture() const;
  void setPicture(const QString& path);
  int zoomLevel() const;
  void setZoomLevel(int level);
  int autoFit() const;
  void setAutoFit(int fit);
  int djvuLayer() const;
  void setDjvuLayer(int layer);
  int currentPage() const;
  void setCurrentPage(int page);
  int pages() const;
  bool dither() const;
  void setDither(bool on);
  bool fancyZoom() const;
  void setFancyZoom(bool on);
  bool scrollBars() const;
  int scrollPosX() const;
  void setScrollPosX(int position);
  int scrollPosY() const;
  void setScrollPosY(int position);
  int viewMode() const;
  void setViewMode(int mode);
  int imageWidth() const;
  int imageHeight() const;

  // Runs the control's "Properties" verb, as a container's menu would: the
  // control's property sheet, modal over the widget. False when the control
  // has no such verb.
  bool showProperties();

  // The widget the control paints into (inside this one, same size).
  QWidget* view() const;

 signals:
  void pictureChanged();
  void zoomLevelChanged();
  void autoFitChanged();
  void djvuLayerChanged();
  void currentPageChanged();
  void pagesChanged();
  void ditherChanged();
  void fancyZoomChanged();
  void scrollBarsChanged();
  void scrollPosXChanged();
  void scrollPosYChanged();
  void viewModeChanged();
  void imageSizeChanged();
  void selectionChanged();
  // Every change notification of the control, by the property's automation name.
  void propertyChanged(const QString& name);
  void modified();

  // The control's events.
  void mouseDown(int button, int shift, int x, int y);
  void mouseMove(int button, int shift, int x, int y);
  void mouseUp(int button, int shift, int x, int y);
  void paint();
  void filesDropped(const QString& path);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  struct Private;
  std::unique_ptr<Private> d_;
};

}  // namespace orlim
