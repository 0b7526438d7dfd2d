#include "about_dlg.h"

#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QLayout>
#include <QPushButton>

#include "morvex_resources.h"

namespace {

QLabel* TextLine(const QString& text, const char* name, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setTextFormat(Qt::PlainText);  // ampersands show as typed
  label->setObjectName(QString::fromLatin1(name));
  return label;
}

}  // namespace

// The logo at the top left; to its right the version, the credit line and the
// rights notice; OK at the top right; the two-line credit across the foot.
CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
  InitMorvexResources();
  setWindowTitle(QStringLiteral("About Morvex"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

  auto* logo = new QLabel(this);
  logo->setObjectName(QStringLiteral("logo"));
  logo->setPixmap(QIcon(QStringLiteral(":/morvex/about-logo.png")).pixmap(QSize(78, 48)));
  logo->setFixedSize(78, 48);

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* grid = new QGridLayout(this);
  grid->setHorizontalSpacing(grid->horizontalSpacing() * 3);
  grid->addWidget(logo, 0, 0, 3, 1, Qt::AlignTop | Qt::AlignLeft);
  grid->addWidget(TextLine(QStringLiteral("Morvex version 3"), "version", this), 0, 1);
  grid->addWidget(TextLine(QStringLiteral("Written by the Morvex developers"), "credit", this), 1,
                  1);
  grid->addWidget(
      TextLine(QStringLiteral("Copyright \u00A9 2026 the Morvex developers"), "rights", this), 2,
      1);
  grid->addWidget(ok, 0, 2, Qt::AlignTop);
  grid->setRowMinimumHeight(3, grid->verticalSpacing() * 2);
  grid->addWidget(TextLine(QStringLiteral("Thanks to everyone who tried the conversions and sent "
                                          "us their GDB files.\nCheck a converted file in your "
                                          "mapping program before you rely on it."),
                           "credits", this),
                  4, 0, 1, 3);
  grid->setSizeConstraint(QLayout::SetFixedSize);
  ok->setFocus(Qt::OtherFocusReason);
}

CAboutDlg::~CAboutDlg() = default;
