// The about box, headless: its texts, its picture and the ways to close it.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "about_dlg.h"
#include "gdb_types.h"

Q_DECLARE_METATYPE(Language)

class TestAboutDlg : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<CAboutDlg> m_about;

  QLabel* Line(const char* name) { return m_about->findChild<QLabel*>(QLatin1String(name)); }
  QPushButton* Ok() { return m_about->findChild<QPushButton*>(); }

 private slots:
  void init() { m_about = std::make_unique<CAboutDlg>(); }

  void cleanup() {
    m_about.reset();
    QCOMPARE(QApplication::topLevelWidgets().size(), 0);
  }

  // The box in each language; its caption stays.
  void contents_data() {
    QTest::addColumn<Language>("language");
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("credit");
    QTest::addColumn<QString>("thanks");  // the start of the two-line credit
    QTest::newRow("English") << Language::kEnglish << "Morvex version 3"
                             << "Written by the Morvex developers"
                             << "Thanks to everyone";
    QTest::newRow("Dutch") << Language::kDutch << "Morvex versie 3"
                           << "Geschreven door de Morvex ontwikkelaars"
                           << "Dank aan iedereen";
    QTest::newRow("German") << Language::kGerman << "Morvex Version 3"
                            << "Geschrieben von den Morvex-Entwicklern"
                            << "Danke an alle";
  }

  void contents() {
    QFETCH(Language, language);
    QFETCH(QString, version);
    QFETCH(QString, credit);
    QFETCH(QString, thanks);
    m_about = std::make_unique<CAboutDlg>(nullptr, language);
    QCOMPARE(m_about->windowTitle(), QStringLiteral("About Morvex"));
    for (const char* name : {"version", "credit", "rights", "credits"}) {
      QVERIFY2(Line(name) != nullptr, name);
      QCOMPARE(Line(name)->textFormat(), Qt::PlainText);
    }
    QCOMPARE(Line("version")->text(), version);
    QCOMPARE(Line("credit")->text(), credit);
    QVERIFY(Line("rights")->text().startsWith(QStringLiteral("Copyright \u00A9 2026 ")));
    QVERIFY(Line("credits")->text().startsWith(thanks));
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

  // Nothing is cut off and nothing overlaps, in every language, at scale 1
  // and at scale 2.
  void layoutFits_data() {
    QTest::addColumn<Language>("language");
    QTest::newRow("English") << Language::kEnglish;
    QTest::newRow("Dutch") << Language::kDutch;
    QTest::newRow("German") << Language::kGerman;
  }

  void layoutFits() {
    QFETCH(Language, language);
    m_about = std::make_unique<CAboutDlg>(nullptr, language);
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
