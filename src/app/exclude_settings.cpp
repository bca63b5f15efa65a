#include "app/exclude_settings.h"

#include <QDragEnterEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QPointer>
#include <QShortcut>
#include <QToolButton>
#include <QVBoxLayout>
#include <set>

#include "app/settings_texts.h"
#include "engine/preference_keys.h"
#include "kit/app/feedback.h"
#include "kit/foundation/bundle_identifier.h"
#include "kit/foundation/sequence_utilities.h"
#include "kit/foundation/url_resource_values.h"
#include "kit/ui/app_picker.h"
#include "kit/ui/settings_form.h"
#include "kit/ui/show_for_app_runs.h"
#include "kit/ui/symbol_icons.h"
#include "kit/ui/text_styles.h"

namespace app {

namespace {

namespace Keys = kit::Preferences::Keys;
namespace Texts = SettingsTexts;
using AppList = std::vector<kit::BundleIdentifier>;

constexpr int idRole = Qt::UserRole;
constexpr int listMinimumHeight = 160;
constexpr int formMaximumHeight = 440;
constexpr int barPadding = 6;
constexpr int dropBorderWidth = 2;

// A drag of addresses is taken, also of web addresses alone (which add nothing); any other is refused.
bool carriesUrls(const QMimeData* data) { return data && !data->urls().isEmpty(); }

QToolButton* barButton(const char* title, const char* themeName, const char* symbolName, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setIcon(kit::themeIcon(themeName, symbolName));
  button->setIconSize(QSize(12, 12));
  button->setToolTip(title);
  button->setAccessibleName(title);
  return button;
}

// The two buttons side by side, as one control.
QWidget* controlGroup(QToolButton* first, QToolButton* second) {
  auto* group = new QWidget;
  auto* layout = new QHBoxLayout(group);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(first);
  layout->addWidget(second);
  group->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  return group;
}

// A wrapping label that asks for the room of its text on one line and wraps only when it gets less.
class OneLineFirstLabel : public QLabel {
 public:
  OneLineFirstLabel(const QString& text, QWidget* parent) : QLabel(text, parent) { setWordWrap(true); }
  QSize sizeHint() const override {
    return {fontMetrics().horizontalAdvance(text()) + 2 * margin() + 1, QLabel::sizeHint().height()};
  }
};

QWidget* dragAndDropTip() {
  auto* tip = new QWidget;
  auto* layout = new QHBoxLayout(tip);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  const int iconSide = QFontMetrics(QFont()).height() * 3 / 4;
  auto* icon = new kit::SymbolView("info.circle.fill", iconSide, tip);
  auto* text = new OneLineFirstLabel(Texts::dragAndDropTip, tip);
  kit::applySecondaryTextStyle(*text, kit::smallSystemFontSize());
  layout->addWidget(icon, 0, Qt::AlignVCenter);
  layout->addWidget(text, 1);
  kit::ShowForAppRuns{
      .count = 1, .id = "ExcludeSettings_dragAndDropTip", .startShowingFromAppRun = 1, .oncePerAppRun = false}
      .apply(*tip);
  return tip;
}

}  // namespace

std::vector<QUrl> loadURLs(const QMimeData& data) {
  std::vector<QUrl> files;
  if (!data.hasUrls()) return files;
  for (const QUrl& url : data.urls()) {
    if (url.isLocalFile()) files.push_back(url);
  }
  return files;
}

std::vector<kit::BundleIdentifier> applicationsAmong(const std::vector<QUrl>& urls) {
  AppList apps;
  for (const QUrl& url : urls) {
    auto location = platform::Url::fileUrl(url.toLocalFile().toStdString());
    if (!location || !kit::resourceValue<bool>(*location, kit::UrlResourceKey::isApplication).value_or(false)) continue;
    if (auto id = kit::applicationBundleIdentifier(*location)) apps.push_back(std::move(*id));
  }
  return apps;
}

ExcludedAppsList::ExcludedAppsList(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);
  setDragDropMode(QAbstractItemView::DropOnly);
  setIconSize(QSize(16, 16));
  setMinimumHeight(listMinimumHeight);
  setFrameShape(QFrame::NoFrame);
}

void ExcludedAppsList::dragEnterEvent(QDragEnterEvent* event) {
  if (!carriesUrls(event->mimeData())) return event->ignore();
  setDropTargeted(true);
  event->acceptProposedAction();
}

void ExcludedAppsList::dragMoveEvent(QDragMoveEvent* event) {
  if (!carriesUrls(event->mimeData())) return event->ignore();
  event->acceptProposedAction();
}

void ExcludedAppsList::dragLeaveEvent(QDragLeaveEvent* event) {
  setDropTargeted(false);
  event->accept();
}

void ExcludedAppsList::dropEvent(QDropEvent* event) {
  setDropTargeted(false);
  if (!carriesUrls(event->mimeData())) return event->ignore();
  event->acceptProposedAction();
  AppList apps = applicationsAmong(loadURLs(*event->mimeData()));
  if (onDrop) onDrop(std::move(apps));
}

void ExcludedAppsList::paintEvent(QPaintEvent* event) {
  QListWidget::paintEvent(event);
  if (!isDropTargeted_) return;
  QPainter painter(viewport());
  const QColor tint = palette().color(QPalette::Highlight);
  const qreal inset = dropBorderWidth / 2.0;
  painter.setPen(QPen(tint, dropBorderWidth));
  painter.drawRect(QRectF(viewport()->rect()).adjusted(inset, inset, -inset, -inset));
}

void ExcludedAppsList::setDropTargeted(bool targeted) {
  if (isDropTargeted_ == targeted) return;
  isDropTargeted_ = targeted;
  viewport()->update();
}

ExcludeSettings::ExcludeSettings(QWidget* parent) : QWidget(parent) {
  setMaximumHeight(formMaximumHeight);

  auto* header = new QLabel(Texts::excludeHeader, this);
  header->setWordWrap(true);
  kit::applySecondaryTextStyle(*header, kit::smallSystemFontSize());

  list_ = new ExcludedAppsList;
  list_->onDrop = [this](const AppList& apps) { addApps(apps); };
  list_->setAccessibleName(Texts::excludeHeader);
  noApps_ = new QLabel(Texts::noApps, list_->viewport());
  QFont titleFont = noApps_->font();
  titleFont.setPointSizeF(kit::systemFontSize() * 17 / 13);
  noApps_->setFont(titleFont);
  noApps_->setForegroundRole(QPalette::PlaceholderText);
  noApps_->setAttribute(Qt::WA_TransparentForMouseEvents);
  auto* overlay = new QVBoxLayout(list_->viewport());
  overlay->addWidget(noApps_, 0, Qt::AlignCenter);

  add_ = barButton(Texts::addApp, "list-add", "plus", this);
  remove_ = barButton(Texts::removeApp, "list-remove", "minus", this);
  remove_->setEnabled(false);
  connect(add_, &QToolButton::clicked, this, &ExcludeSettings::chooseApps);
  connect(remove_, &QToolButton::clicked, this, &ExcludeSettings::removeSelectedApps);
  // The key that deletes, on either keyboard: Delete, and Backspace (which is marked "Delete" on some). Active only
  // while the button is shown and enabled.
  for (const QKeySequence& key : {QKeySequence(Qt::Key_Delete), QKeySequence(Qt::Key_Backspace)}) {
    auto* shortcut = new QShortcut(key, remove_);
    connect(shortcut, &QShortcut::activated, this, &ExcludeSettings::removeSelectedApps);
  }
  connect(list_, &QListWidget::itemSelectionChanged, this,
          [this] { remove_->setEnabled(!list_->selectedItems().isEmpty()); });

  tip_ = dragAndDropTip();
  auto* bar = kit::settingsRow(controlGroup(add_, remove_), tip_);
  bar->setBackgroundRole(QPalette::Window);
  bar->setAutoFillBackground(true);
  bar->layout()->setContentsMargins(barPadding, barPadding, barPadding, barPadding);

  auto* box = new kit::SettingsSection;
  auto* boxContent = new QWidget;
  auto* boxLayout = new QVBoxLayout(boxContent);
  boxLayout->setContentsMargins(0, 0, 0, 0);
  boxLayout->setSpacing(0);
  boxLayout->addWidget(list_, 1);
  boxLayout->addWidget(new kit::HorizontalLine);
  boxLayout->addWidget(bar);
  box->addRow(boxContent, false);

  footer_ = kit::markdownLabel(
      std::string(Texts::excludeFooterStart) + kit::feedbackPageUrl().absoluteString() + Texts::excludeFooterEnd, this);
  kit::applySecondaryTextStyle(*footer_, kit::smallSystemFontSize());

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(20, 16, 20, 20);
  layout->setSpacing(6);
  layout->addWidget(header);
  layout->addWidget(box, 1);
  layout->addSpacing(8);
  layout->addWidget(footer_);

  excludedApps_ = kit::Preferences::Observable<AppList>::make(Keys::excludedApps());
  changes_ = excludedApps_->objectWillChange().sink([this](const platform::rx::Unit&) { showApps(); });
  showApps();
}

void ExcludeSettings::showApps() {
  std::set<std::string> selected;
  for (const QListWidgetItem* item : list_->selectedItems())
    selected.insert(item->data(idRole).toString().toStdString());
  const AppList apps = kit::removingDuplicates(excludedApps_->value());

  list_->clear();
  for (const kit::BundleIdentifier& app : apps) {
    // An application that is no longer installed still gets its row, by its id, so that it can be removed.
    const QString title = QString::fromStdString(app.name().value_or(app.rawValue));
    auto* item = new QListWidgetItem(kit::appIconImage(app.icon()), title, list_);
    item->setData(idRole, QString::fromStdString(app.rawValue));
    item->setToolTip(QString::fromStdString(app.rawValue));
    item->setSelected(selected.count(app.rawValue) != 0);
  }
  noApps_->setVisible(apps.empty());
  // The label lies over the list, where a screen reader does not look: the list says it as well.
  list_->setAccessibleDescription(apps.empty() ? Texts::noApps : "");
  remove_->setEnabled(!list_->selectedItems().isEmpty());
}

void ExcludeSettings::addApps(const AppList& ids) {
  AppList apps = excludedApps_->value();
  apps.insert(apps.end(), ids.begin(), ids.end());
  excludedApps_->setValue(kit::removingDuplicates(apps));
  showApps();
}

void ExcludeSettings::removeSelectedApps() {
  AppList selected;
  for (const QListWidgetItem* item : list_->selectedItems())
    selected.emplace_back(item->data(idRole).toString().toStdString());
  if (selected.empty()) return;
  excludedApps_->setValue(kit::excluding(excludedApps_->value(), selected));
  list_->clearSelection();
  showApps();
}

void ExcludeSettings::chooseApps() {
  QPointer<ExcludeSettings> self(this);
  kit::AppPicker::pick(true, window(), {}, [self](const std::vector<std::string>& ids) {
    if (self) self->addApps(AppList(ids.begin(), ids.end()));
  });
}

QWidget* makeExcludeSettings() { return new ExcludeSettings; }

}  // namespace app
