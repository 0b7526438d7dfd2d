#include "about_dlg.h"

#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QLayout>
#include <QPushButton>

#include "dialog_ids.h"
#include "window_texts.h"
#include "morvex_resources.h"

namespace {

QString AboutText(const std::vector<ControlText>& texts, int id) {
  for (const ControlText& item : texts) {
    if (item.id == id) {
      return QString::fromUtf8(item.text.data(), static_cast<qsizetype>(item.text.size()));
    }
  }
  return {};
}

QLabel* TextLine(const QString& text, const char* name, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setTextFormat(Qt::PlainText);  // ampersands show as typed
  label->setObjectName(QString::fromLatin1(name));
  return label;
}

}  // namespace

// The logo at the top left; to its right the version, the credit line and the
// rights notice; OK at the top right; the two-line credit across the foot.
CAboutDlg::CAboutDlg(QWidget* parent, Language language) : QDialog(parent) {
  InitMorvexResources();
  const std::vector<ControlText> texts = AboutTexts(language);
  setWindowTitle(QStringLiteral("About Morvex"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

  auto* logo = new QLabel(this);
  logo->setObjectName(QStringLiteral("logo"));
  logo->setPixmap(QIcon(QStringLiteral(":/morvex/about-logo.png")).pixmap(QSize(78, 48)));
  logo->setFixedSize(78, 48);

  auto* ok = new QPushButton(AboutText(texts, IDOK), this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* grid = new QGridLayout(this);
  grid->setHorizontalSpacing(grid->horizontalSpacing() * 3);
  grid->addWidget(logo, 0, 0, 3, 1, Qt::AlignTop | Qt::AlignLeft);
  grid->addWidget(TextLine(AboutText(texts, IDC_ABOUT_VERSION), "version", this), 0, 1);
  grid->addWidget(TextLine(AboutText(texts, IDC_ABOUT_CREDIT), "credit", this), 1, 1);
  grid->addWidget(TextLine(AboutText(texts, IDC_ABOUT_RIGHTS), "rights", this), 2, 1);
  grid->addWidget(ok, 0, 2, Qt::AlignTop);
  grid->setRowMinimumHeight(3, grid->verticalSpacing() * 2);
  grid->addWidget(TextLine(AboutText(texts, IDC_ABOUT_THANKS), "credits", this), 4, 0, 1, 3);
  grid->setSizeConstraint(QLayout::SetFixedSize);
  ok->setFocus(Qt::OtherFocusReason);
}

CAboutDlg::~CAboutDlg() = default;
