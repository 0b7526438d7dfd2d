// The about box, headless: its texts, its picture and the ways to close it.
#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "about_dlg.h"
#include "dialog_ids.h"
#include "morvex_dlg.h"

class TestAboutDlg : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<CMorvexDlg> m_owner;  // the converter window, for a box opened from it
  std::unique_ptr<CAboutDlg> m_about;

  QLabel* Line(const char* name) { return m_about->findChild<QLabel*>(QLatin1String(name)); }
  QPushButton* Ok() { return m_about->findChild<QPushButton*>(); }

 private slots:
  void init() { m_about = std::make_unique<CAboutDlg>(); }

  void cleanup() {
    m_about.reset();
    m_owner.reset();
    QCOMPARE(QApplication::topLevelWidgets().size(), 0);
  }

  // The same box in every language of the converter window it is opened from.
  void contents_data() {
    QTest::addColumn<int>("languageButton");
    QTest::newRow("English") << int{IDC_LANG_ENGLISH};
    QTest::newRow("Dutch") << int{IDC_LANG_DUTCH};
    QTest::newRow("German") << int{IDC_LANG_GERMAN};
  }

  void contents() {
    QFETCH(int, languageButton);
    m_owner = std::make_unique<CMorvexDlg>();
    auto* button = qobject_cast<QAbstractButton*>(m_owner->GetDlgItem(languageButton));
    QVERIFY(button != nullptr);
    button->click();
    QCOMPARE(m_owner->GetCheckedRadioButton(IDC_LANG_ENGLISH, IDC_LANG_GERMAN), languageButton);
    m_about = std::make_unique<CAboutDlg>(m_owner.get());
    QCOMPARE(m_about->windowTitle(), QStringLiteral("About Morvex"));
    for (const char* name : {"version", "credit", "rights", "credits"}) {
      QVERIFY2(Line(name) != nullptr, name);
      QCOMPARE(Line(name)->textFormat(), Qt::PlainText);
    }
    QCOMPARE(Line("version")->text(), QStringLiteral("Morvex version 3"));
    QVERIFY(!Line("credit")->text().isEmpty());
    QVERIFY(Line("rights")->text().contains(QStringLiteral("Copyright")));
    QCOMPARE(Line("credits")->text().count(QLatin1Char('\n')), 1);  // two lines

    const QPixmap logo = Line("logo")->pixmap();
    QVERIFY(!logo.isNull());
    QCOMPARE(logo.deviceIndependentSize().toSize(), QSize(78, 48));
    QCOMPARE(Line("logo")->size(), QSize(78, 48));

    QCOMPARE(Ok()->text(), QStringLiteral("OK"));
    QVERIFY(Ok()->isDefault());
    QVERIFY(!m_about->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
  }

  void closing_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("result");
    QTest::newRow("OK") << "OK" << int{QDialog::Accepted};
    QTest::newRow("Enter") << "Enter" << int{QDialog::Accepted};
    QTest::newRow("Escape") << "Escape" << int{QDialog::Rejected};
    QTest::newRow("close box") << "close box" << int{QDialog::Rejected};
  }

  void closing() {
    QFETCH(QString, how);
    QFETCH(int, result);
    m_about->open();  // modal, without a nested event loop
    QVERIFY(m_about->isVisible());
    if (how == "OK") {
      QTest::mouseClick(Ok(), Qt::LeftButton);
    } else if (how == "Enter") {
      QTest::keyClick(m_about.get(), Qt::Key_Return);
    } else if (how == "Escape") {
      QTest::keyClick(m_about.get(), Qt::Key_Escape);
    } else {
      QVERIFY(m_about->close());
    }
    QVERIFY(!m_about->isVisible());
    QCOMPARE(m_about->result(), result);
  }

  // Nothing is cut off and nothing overlaps, at scale 1 and at scale 2.
  void layoutFits() {
    m_about->show();
    QApplication::processEvents();
    QList<QWidget*> parts;
    for (QLabel* label : m_about->findChildren<QLabel*>()) parts << label;
    parts << Ok();
    for (qsizetype i = 0; i < parts.size(); ++i) {
      QWidget* part = parts[i];
      QVERIFY(m_about->rect().contains(part->geometry()));
      QVERIFY2(
          part->width() >= part->sizeHint().width() && part->height() >= part->sizeHint().height(),
          qPrintable(part->objectName()));
      for (qsizetype j = 0; j < i; ++j) {
        QVERIFY2(!part->geometry().intersects(parts[j]->geometry()),
                 qPrintable(part->objectName() + " / " + parts[j]->objectName()));
      }
    }
    m_about->hide();
  }
};

QTEST_MAIN(TestAboutDlg)
#include "about_dlg_test.moc"
