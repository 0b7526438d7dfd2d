#include "about_dlg.h"

#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QLayout>
#include <QPushButton>

#include "dialog_ids.h"
#include "morvex_resources.h"
#include "window_texts.h"

namespace {

QString TextOf(int id, Language language) {
  for (const ControlText& item : AboutTexts()) {
    if (item.id == id) return QString::fromStdString(AboutText(item.text, language));
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
  setWindowTitle(QString::fromStdString(AboutCaption()));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

  auto* logo = new QLabel(this);
  logo->setObjectName(QStringLiteral("logo"));
  logo->setPixmap(QIcon(QStringLiteral(":/morvex/about-logo.png")).pixmap(QSize(78, 48)));
  logo->setFixedSize(78, 48);

  auto* ok = new QPushButton(TextOf(IDOK, language), this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* grid = new QGridLayout(this);
  grid->setHorizontalSpacing(grid->horizontalSpacing() * 3);
  grid->addWidget(logo, 0, 0, 3, 1, Qt::AlignTop | Qt::AlignLeft);
  grid->addWidget(TextLine(TextOf(IDC_ABOUT_VERSION, language), "version", this), 0, 1);
  grid->addWidget(TextLine(TextOf(IDC_ABOUT_CREDIT, language), "credit", this), 1, 1);
  grid->addWidget(TextLine(TextOf(IDC_ABOUT_RIGHTS, language), "rights", this), 2, 1);
  grid->addWidget(ok, 0, 2, Qt::AlignTop);
  grid->setRowMinimumHeight(3, grid->verticalSpacing() * 2);
  grid->addWidget(TextLine(TextOf(IDC_ABOUT_THANKS, language), "credits", this), 4, 0, 1, 3);
  grid->setSizeConstraint(QLayout::SetFixedSize);
  ok->setFocus(Qt::OtherFocusReason);
}

CAboutDlg::~CAboutDlg() = default;
