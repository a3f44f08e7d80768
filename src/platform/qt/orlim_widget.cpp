#include <QCoreApplication>
#include <QResizeEvent>
#include <string>

#include "QtWindow.h"
#include "control_factory.h"
#include "orlim/OrlimWidget.h"
#include "platform/PropertyBag.h"
#include "qt_services.h"
#include "variant_qt.h"

namespace orlim {

// The container side of the control: its site and event sink, turning
// notifications and events into the widget's signals.
struct OrlimWidget::Private : ControlSite, EventSink {
  OrlimWidget* q;
  QtWindow* window;
  ControlPointer control;
  HRESULT lastResult = S_OK;

  explicit Private(OrlimWidget* owner) : q(owner), window(new QtWindow(owner)), control(createOrlimControl()) {
    control->SetClientSite(this);
    control->Advise(this);
    control->AttachWindow(window);
    control->ResetState();
  }
  ~Private() override {
    // The window outlives the control by a little (it is a child widget): no messages reach a dead control.
    window->SetMessageHandler(nullptr);
    control->Unadvise(this);
    control->SetClientSite(nullptr);
  }

  void OnChanged(DISPID id) override;
  void OnModified() override { emit q->modified(); }
  void OnEvent(const MemberInfo& event, const std::vector<Variant>& args) override;

  // The window takes the widget's size at once, shown or not, so that what the
  // control works out from its client size (AutoFit on a load) is right even
  // before the widget is first shown.
  void syncSize() const {
    if (window->size() == q->size()) return;
    window->setGeometry(q->rect());
    if (!window->isVisible()) {
      QResizeEvent resized(window->size(), QSize());
      QCoreApplication::sendEvent(window, &resized);
    }
  }

  Variant get(const char* name) const {
    syncSize();
    Variant result;
    const_cast<Private*>(this)->lastResult = control->InvokeByName(name, InvokeKind::PropertyGet, {}, &result);
    return result;
  }
  void put(const char* name, const Variant& value) {
    syncSize();
    lastResult = control->InvokeByName(name, InvokeKind::PropertyPut, {value}, nullptr);
  }
  int getInt(const char* name) const {
    Variant v;
    get(name).coerceTo(VarType::Long, v);
    return v.asLong();
  }
  bool getBool(const char* name) const { return get(name).asBool(); }
};

void OrlimWidget::Private::OnChanged(DISPID id) {
  const MemberInfo* member = control->dispatchTable().findById(id);
  if (!member) return;
  const std::string name = member->name;
  if (name == "ZoomLevel")
    emit q->zoomLevelChanged();
  else if (name == "AutoFit")
    emit q->autoFitChanged();
  else if (name == "DjvuLayer")
    emit q->djvuLayerChanged();
  else if (name == "CurrentPage")
    emit q->currentPageChanged();
  else if (name == "Pages")
    emit q->pagesChanged();
  else if (name == "Dither")
    emit q->ditherChanged();
  else if (name == "FancyZoom")
    emit q->fancyZoomChanged();
  else if (name == "ScrollBars")
    emit q->scrollBarsChanged();
  else if (name == "ScrollPosX")
    emit q->scrollPosXChanged();
  else if (name == "ScrollPosY")
    emit q->scrollPosYChanged();
  else if (name == "ViewMode")
    emit q->viewModeChanged();
  else if (name.rfind("ImageSelection", 0) == 0)
    emit q->selectionChanged();
  else if (name == "ImageHeight")
    emit q->imageSizeChanged();
  // A new picture announces its width first of its description.
  else if (name == "ImageWidth") {
    emit q->imageSizeChanged();
    emit q->pictureChanged();
  }
  emit q->propertyChanged(QString::fromLatin1(member->name));
}

void OrlimWidget::Private::OnEvent(const MemberInfo& event, const std::vector<Variant>& args) {
  const auto arg = [&args](std::size_t i) {
    Variant v;
    if (i < args.size()) args[i].coerceTo(VarType::Long, v);
    return v.asLong();
  };
  const std::string name = event.name;
  if (name == "MouseDown")
    emit q->mouseDown(arg(0), arg(1), arg(2), arg(3));
  else if (name == "MouseMove")
    emit q->mouseMove(arg(0), arg(1), arg(2), arg(3));
  else if (name == "MouseUp")
    emit q->mouseUp(arg(0), arg(1), arg(2), arg(3));
  else if (name == "Paint")
    emit q->paint();
  else if (name == "DropFiles" && !args.empty())
    emit q->filesDropped(QString::fromStdString(args[0].asString()));
}

OrlimWidget::OrlimWidget(QWidget* parent) : QWidget(parent) {
  ensureQtServices();
  d_ = std::make_unique<Private>(this);
  setFocusProxy(d_->window);
  d_->syncSize();
}

void OrlimWidget::resizeEvent(QResizeEvent*) { d_->syncSize(); }

OrlimWidget::~OrlimWidget() = default;

QVariant OrlimWidget::property(const QString& name) const { return toQVariant(d_->get(name.toStdString().c_str())); }

bool OrlimWidget::setProperty(const QString& name, const QVariant& value) {
  d_->put(name.toStdString().c_str(), fromQVariant(value));
  return SUCCEEDED(d_->lastResult);
}

QVariant OrlimWidget::call(const QString& name, const QVariantList& args) {
  std::vector<Variant> values;
  for (const QVariant& a : args) values.push_back(fromQVariant(a));
  Variant result;
  d_->syncSize();
  d_->lastResult = d_->control->InvokeByName(name.toStdString(), InvokeKind::Method, values, &result);
  return SUCCEEDED(d_->lastResult) ? toQVariant(result) : QVariant();
}

bool OrlimWidget::doVerb(const QString& name) {
  for (const OleVerb& verb : d_->control->EnumVerbs()) {
    if (name.compare(QLatin1String(verb.name), Qt::CaseInsensitive) != 0) continue;
    d_->syncSize();
    d_->lastResult = d_->control->DoVerb(verb.id, nullptr);
    return SUCCEEDED(d_->lastResult);
  }
  return false;
}

bool OrlimWidget::saveProperties(const QString& path) const {
  PropertyBag bag;
  d_->syncSize();
  d_->control->SaveState(bag);
  return bag.saveToFile(path.toStdString());
}

bool OrlimWidget::loadProperties(const QString& path) {
  PropertyBag bag;
  if (!bag.loadFromFile(path.toStdString())) return false;
  d_->syncSize();
  d_->control->LoadState(bag);
  return true;
}

int OrlimWidget::lastResult() const { return d_->lastResult; }

bool OrlimWidget::showProperties() {
  d_->syncSize();
  d_->lastResult = d_->control->DoVerb(OLEIVERB_PROPERTIES, nullptr);
  return SUCCEEDED(d_->lastResult);
}

QWidget* OrlimWidget::view() const { return d_->window; }

QString OrlimWidget::picture() const { return QString::fromStdString(d_->get("Picture").asString()); }
void OrlimWidget::setPicture(const QString& path) { d_->put("Picture", Variant::fromString(path.toStdString())); }
int OrlimWidget::zoomLevel() const { return d_->getInt("ZoomLevel"); }
void OrlimWidget::setZoomLevel(int level) { d_->put("ZoomLevel", Variant::fromLong(level)); }
int OrlimWidget::autoFit() const { return d_->getInt("AutoFit"); }
void OrlimWidget::setAutoFit(int fit) { d_->put("AutoFit", Variant::fromLong(fit)); }
int OrlimWidget::djvuLayer() const { return d_->getInt("DjvuLayer"); }
void OrlimWidget::setDjvuLayer(int layer) { d_->put("DjvuLayer", Variant::fromLong(layer)); }
int OrlimWidget::currentPage() const { return d_->getInt("CurrentPage"); }
void OrlimWidget::setCurrentPage(int page) { d_->put("CurrentPage", Variant::fromLong(page)); }
int OrlimWidget::pages() const { return d_->getInt("Pages"); }
bool OrlimWidget::dither() const { return d_->getBool("Dither"); }
void OrlimWidget::setDither(bool on) { d_->put("Dither", Variant::fromBool(on)); }
bool OrlimWidget::fancyZoom() const { return d_->getBool("FancyZoom"); }
void OrlimWidget::setFancyZoom(bool on) { d_->put("FancyZoom", Variant::fromBool(on)); }
bool OrlimWidget::scrollBars() const { return d_->getBool("ScrollBars"); }
int OrlimWidget::scrollPosX() const { return d_->getInt("ScrollPosX"); }
void OrlimWidget::setScrollPosX(int position) { d_->put("ScrollPosX", Variant::fromLong(position)); }
int OrlimWidget::scrollPosY() const { return d_->getInt("ScrollPosY"); }
void OrlimWidget::setScrollPosY(int position) { d_->put("ScrollPosY", Variant::fromLong(position)); }
int OrlimWidget::viewMode() const { return d_->getInt("ViewMode"); }
void OrlimWidget::setViewMode(int mode) { d_->put("ViewMode", Variant::fromLong(mode)); }
int OrlimWidget::imageWidth() const { return d_->getInt("ImageWidth"); }
int OrlimWidget::imageHeight() const { return d_->getInt("ImageHeight"); }

}  // namespace orlim
