#include "kit/app/standard_menu.h"

#include <QMessageBox>
#include <QPointer>

#include "kit/app/app_facts.h"
#include "kit/app/feedback.h"
#include "kit/app/status_item_visibility_check.h"
#include "kit/app/zv_kit.h"
#include "kit/foundation/alert.h"
#include "kit/foundation/attributed_text.h"
#include "kit/foundation/url_query.h"
#include "kit/foundation/verbatim_title.h"
#include "kit/foundation/zv_app.h"
#include "kit/ui/app_icon.h"
#include "kit/ui/text_styles.h"
#include "kit/ui/url_opening.h"
#include "kit/ui/window_presentation.h"

namespace kit {

namespace {

CallbackMenuItem* addLinkItem(QMenu& menu, const std::string& title, const platform::Url& url) {
  auto* item = new CallbackMenuItem(
      title, "", std::nullopt, true, false, false, [url] { openUrl(url); }, &menu);
  menu.addAction(item);
  return item;
}

}  // namespace

QAction* addHeader(QMenu& menu, const std::string& title, bool hasSeparatorBefore) {
  if (hasSeparatorBefore) menu.addSeparator();
  auto* header = new QAction(verbatimTitle(title), &menu);
  header->setEnabled(false);
  // The text in the system font at the small size, whatever the desktop's menu font is. A menu item has one font.
  platform::AttributedString text(title);
  setFontSize(text, smallSystemFontSize());
  const platform::FontSpec small = font(text);
  QFont shown(QString::fromStdString(small.family));
  shown.setPointSizeF(small.pointSize);
  shown.setWeight(static_cast<QFont::Weight>(small.weight));
  header->setFont(shown);
  menu.addAction(header);
  return header;
}

platform::Url websiteWithFragment(const std::string& fragment) {
  return modifyingComponents(ZvKit::Metadata::current().website,
                             [&](platform::UrlComponents& components) { components.setFragment(fragment); });
}

CallbackMenuItem* addMoreAppsItem(QMenu& menu) {
  return addLinkItem(menu, "More Apps by Me", WebAddresses::makerApps());
}
CallbackMenuItem* addWebsiteItem(QMenu& menu) {
  return addLinkItem(menu, "Website", ZvKit::Metadata::current().website);
}
CallbackMenuItem* addTipsItem(QMenu& menu) { return addLinkItem(menu, "Tips", websiteWithFragment("tips")); }
CallbackMenuItem* addFAQItem(QMenu& menu) { return addLinkItem(menu, "FAQ", websiteWithFragment("faq")); }
CallbackMenuItem* addRateAppItem(QMenu&) { return nullptr; }

void settingsMenuItemAction() { openSettingsOnMainQueue(); }

void orderFrontStandardAboutPanel() {
  static QPointer<QMessageBox> shown;
  if (!shown) {
    const QString name = QString::fromStdString(ZvApp::name());
    shown = new QMessageBox(QMessageBox::NoIcon, "About " + name,
                            "<b>" + name.toHtmlEscaped() + "</b><br>Version " +
                                QString::fromStdString(AppFacts::versionWithBuild()).toHtmlEscaped(),
                            QMessageBox::Ok);
    shown->setIconPixmap(appIcon().pixmap(64, 64));
    shown->setAttribute(Qt::WA_DeleteOnClose);
    shown->setObjectName("aboutBox");
    // A panel beside the other windows, which blocks none of them; on the level of the settings window, which
    // floats, so that it opens in front of it rather than hidden underneath.
    shown->setWindowModality(Qt::NonModal);
    setWindowLevel(*shown, WindowLevel::floating);
  }
  orderFront(*shown);
}

void aboutMenuItemAction() {
  activateApp();
  orderFrontStandardAboutPanel();
}

void sendFeedbackMenuItemAction() { openFeedbackPage(); }

}  // namespace kit
