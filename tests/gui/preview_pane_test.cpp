// The preview pane of the converter window: shown and hidden by its button
// and remembered, drawing the example for every option, checked at the
// pixels of known points, and zoomed, dragged and fitted.
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QLayout>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "dialog_ids.h"
#include "gdb_generator.h"
#include "morvex_dlg.h"
#include "preview_model.h"
#include "preview_pane.h"
// GCC sees the recorded answers' optional text as maybe unset where it is not.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include "recording_prompts.h"
#pragma GCC diagnostic pop

namespace {

const preview::Place kPier{614212536, -118112};        // 51.4827, -0.0099
const preview::Place kRosengarten{614187482, -63231};  // 51.4806, -0.0053

bool Near(QRgb got, uint32_t want) {
  const auto channel = [](uint32_t colour, int shift) { return int(colour >> shift & 0xFF); };
  for (int shift : {0, 8, 16}) {
    if (std::abs(channel(got, shift) - channel(want, shift)) > 40) return false;
  }
  return true;
}

// Within two pixels: the layout rounds to whole pixels.
bool Close(preview::Pixel got, QPointF want) {
  return std::abs(got.x - want.x()) <= 2 && std::abs(got.y - want.y()) <= 2;
}

}  // namespace

class TestPreviewPane : public QObject {
  Q_OBJECT

 private:
  QTemporaryDir m_settingsHome;
  RecordingPrompts m_prompts;
  std::unique_ptr<CMorvexDlg> m_dlg;

  void Start() {
    m_dlg = std::make_unique<CMorvexDlg>();
    m_dlg->SetPrompts(&m_prompts);
  }
  void Click(int id) { qobject_cast<QAbstractButton*>(m_dlg->GetDlgItem(id))->click(); }
  PreviewPane& Pane() { return *m_dlg->GetPreviewPane(); }
  void ShowExample(int option) {
    Start();
    m_dlg->SetInputPath(QStringLiteral(MORVEX_EXAMPLE_GDB));
    Click(IDC_OPTION_1 + option - 1);
    if (Pane().isHidden()) Click(IDC_PREVIEW);
    m_dlg->show();
    QTRY_VERIFY2(
        Pane().Shown().picture.mode == ModeForOption(option) && Pane().Shown().picture.input.gdb,
        qPrintable(QString("mode %1 note %2 path %3")
                       .arg(QChar::fromLatin1(static_cast<char>(Pane().Shown().picture.mode)))
                       .arg(int(Pane().Shown().note))
                       .arg(qobject_cast<QLineEdit*>(m_dlg->GetDlgItem(IDC_INPUT_PATH))->text())));
  }
  preview::Pixel Shown(preview::Place place) {
    return preview::Project(Pane().Shown().picture, Pane().width(), Pane().height(), place,
                            Pane().View());
  }

 private slots:
  void initTestCase() {
    QVERIFY(m_settingsHome.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsHome.path());
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  }

  void cleanup() { m_dlg.reset(); }

  void buttonShowsAndHidesThePaneAndItIsRemembered() {
    Start();
    const QSize hidden = m_dlg->size();
    QVERIFY(Pane().isHidden());
    // The button stands in the column of Convert, between the languages and Convert.
    m_dlg->layout()->activate();
    const QRect button = m_dlg->GetDlgItem(IDC_PREVIEW)->geometry();
    const QRect convert = m_dlg->GetDlgItem(IDC_CONVERT)->geometry();
    QCOMPARE(button.left(), convert.left());
    QVERIFY(button.bottom() < convert.top());
    QVERIFY(button.top() > m_dlg->GetDlgItem(IDC_LANGUAGE_GROUP)->geometry().bottom());
    Click(IDC_PREVIEW);
    QVERIFY(!Pane().isHidden());
    QVERIFY(m_dlg->width() >= hidden.width() + Pane().minimumSizeHint().width());
    m_dlg->reject();
    Start();
    QVERIFY(!Pane().isHidden());
    Click(IDC_PREVIEW);
    QVERIFY(Pane().isHidden());
    QCOMPARE(m_dlg->size(), hidden);
    m_dlg->reject();
  }

  void drawsWhatEachOptionMakes_data() {
    QTest::addColumn<int>("option");
    QTest::addColumn<uint32_t>("atPier");         // what the pier's pixel shows
    QTest::addColumn<uint32_t>("towardsGarden");  // halfway along the first route
    const uint32_t grey = preview::ColourOf(preview::Role::InputLine);
    const uint32_t made = preview::ColourOf(preview::Role::OutputLine);
    const uint32_t waypoint = preview::ColourOf(preview::Role::Waypoint);
    QTest::newRow("1") << 1 << made << made;
    QTest::newRow("2") << 2 << made << made;
    // The example has no auto-generated via points: options 3 and 4 change nothing.
    QTest::newRow("3") << 3 << waypoint << grey;
    QTest::newRow("4") << 4 << waypoint << grey;
    QTest::newRow("5") << 5 << waypoint << grey;
    QTest::newRow("6") << 6 << waypoint << grey;
  }

  void drawsWhatEachOptionMakes() {
    QFETCH(int, option);
    QFETCH(uint32_t, atPier);
    QFETCH(uint32_t, towardsGarden);
    ShowExample(option);
    const QImage image = Pane().grab().toImage();
    const preview::Picture& picture = Pane().Shown().picture;
    const preview::Pixel pier = preview::Project(picture, Pane().width(), Pane().height(), kPier);
    const preview::Pixel garden =
        preview::Project(picture, Pane().width(), Pane().height(), kRosengarten);
    const QPoint half((pier.x + garden.x) / 2, (pier.y + garden.y) / 2);
    QVERIFY2(Near(image.pixel(pier.x, pier.y), atPier), "the pier");
    QVERIFY2(Near(image.pixel(half), towardsGarden), "halfway to the garden");
    // The loop's first point: a via of the route options 5 and 6 make.
    const preview::Pixel loop = preview::Project(picture, Pane().width(), Pane().height(),
                                                 picture.input.tracks.at(0).points.at(0));
    const bool loopIsVia = option >= 5;
    QCOMPARE(Near(image.pixel(loop.x, loop.y), preview::ColourOf(preview::Role::Via)), loopIsVia);
    // The white around: nothing lies in the top left corner.
    QCOMPARE(image.pixel(4, 4) & 0xFFFFFF, 0xFFFFFFu);
    m_dlg->reject();
  }

  void saysWhenTheFileIsDamaged() {
    QTemporaryDir scratch;
    QFile example(QStringLiteral(MORVEX_EXAMPLE_GDB));
    QVERIFY(example.open(QIODevice::ReadOnly));
    const QByteArray bytes = example.readAll();
    QFile cut(scratch.filePath(QStringLiteral("cut.gdb")));
    QVERIFY(cut.open(QIODevice::WriteOnly));
    cut.write(bytes.left(bytes.size() - 60));
    cut.close();
    Start();
    if (Pane().isHidden()) Click(IDC_PREVIEW);
    m_dlg->SetInputPath(cut.fileName());
    QTRY_VERIFY(Pane().Shown().picture.input.gdb);
    QVERIFY(!Pane().Shown().picture.input.complete);
    const QImage image = Pane().grab().toImage();
    // The status line is drawn in black at the top left.
    bool dark = false;
    for (int x = 8; x < 60 && !dark; ++x) {
      for (int y = 8; y < 20 && !dark; ++y) dark = qGray(image.pixel(x, y)) < 100;
    }
    QVERIFY(dark);
    m_dlg->reject();
  }

  // Two notches of the wheel at the pier keep it under the pointer and
  // carry the garden away from it; a drag moves both along, Ctrl and -
  // zooms back a step and a double click shows the whole file again.
  void zoomsDragsAndFits() {
    ShowExample(1);
    const preview::Pixel pier = Shown(kPier);
    const QPointF at(pier.x, pier.y);
    const QPointF garden =
        at + (QPointF(Shown(kRosengarten).x, Shown(kRosengarten).y) - at) * 1.5625;
    QWheelEvent twoNotches(at, Pane().mapToGlobal(at), {}, {0, 240}, Qt::NoButton, Qt::NoModifier,
                           Qt::NoScrollPhase, false);
    QApplication::sendEvent(&Pane(), &twoNotches);
    QVERIFY(Close(Shown(kPier), at));
    QVERIFY(Close(Shown(kRosengarten), garden));
    // Towards the top left: the pier, near the file's top left, comes inwards.
    const QPoint drag(-30, -20);
    QTest::mousePress(&Pane(), Qt::LeftButton, {}, at.toPoint());
    QMouseEvent move(QEvent::MouseMove, at + drag, Pane().mapToGlobal(at + drag), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&Pane(), &move);
    QTest::mouseRelease(&Pane(), Qt::LeftButton, {}, (at + drag).toPoint());
    QVERIFY(Close(Shown(kRosengarten), garden + drag));
    QTest::keyClick(&Pane(), Qt::Key_Minus, Qt::ControlModifier);
    QCOMPARE(Pane().View().zoom, 1.25);
    QTest::mouseDClick(&Pane(), Qt::LeftButton, {}, at.toPoint());
    QVERIFY(Shown(kPier) == pier);
    m_dlg->reject();
  }

  // A window made larger gives the room to the path fields and the pane; the
  // options frame keeps its size. The pane shown near the screen's edge moves
  // the window back onto it. Maximised, hiding the pane gives the room back
  // to the options frame and changes no window size.
  void growsIntoThePathsAndThePane() {
    ShowExample(1);
    QVERIFY(QTest::qWaitForWindowExposed(m_dlg.get()));
    const auto size = [this](int id) { return m_dlg->GetDlgItem(id)->size(); };
    const QSize field = size(IDC_INPUT_PATH);
    const QSize options = size(IDC_OPTIONS_GROUP);
    const QSize pane = Pane().size();
    m_dlg->resize(m_dlg->size() + QSize(200, 100));
    QTRY_COMPARE(Pane().size(), pane + QSize(200, 100));
    QCOMPARE(size(IDC_INPUT_PATH).width(), field.width() + 200);
    QCOMPARE(size(IDC_OUTPUT_PATH).width(), field.width() + 200);
    QCOMPARE(size(IDC_OPTIONS_GROUP), options + QSize(0, 100));

    const QRect screen = m_dlg->screen()->availableGeometry();
    Click(IDC_PREVIEW);
    m_dlg->move(screen.right() - m_dlg->frameGeometry().width() - 10, screen.top() + 20);
    QTRY_VERIFY(m_dlg->frameGeometry().right() > screen.right() - 20);
    Click(IDC_PREVIEW);
    QVERIFY(screen.contains(m_dlg->frameGeometry()));

    m_dlg->showMaximized();
    QTRY_VERIFY(m_dlg->frameGeometry().width() > screen.width() - 20);
    const QSize maximised = m_dlg->size();
    Click(IDC_PREVIEW);
    QTRY_VERIFY(size(IDC_OPTIONS_GROUP).width() > options.width() + 200);
    QCOMPARE(m_dlg->size(), maximised);
    m_dlg->reject();
  }

  // A track of 600 points under option 5 with 25 vias: 24 routes, or one
  // with the box checked, each click followed by the picture.
  void followsTheOneRouteBox() {
    QTemporaryDir scratch;
    const QString input = scratch.filePath(QStringLiteral("long.gdb"));
    GeneratorOptions options;
    options.kind = "tracks";
    options.size = 200;  // the header and one track
    options.trackPoints = 600;
    FILE* file = std::fopen(qPrintable(input), "wb");
    QVERIFY(file != nullptr);
    QVERIFY(GenerateGdb(options, file));
    std::fclose(file);
    Start();
    m_dlg->SetInputPath(input);
    Click(IDC_OPTION_5);
    m_dlg->SetDlgItemText(IDC_MAX_VIAS, QStringLiteral("25"));
    if (Pane().isHidden()) Click(IDC_PREVIEW);
    m_dlg->show();
    for (size_t routes : {24, 1, 24}) {
      QTRY_COMPARE(Pane().Shown().picture.output.routes.size(), routes);
      Click(IDC_ONE_ROUTE);
    }
    m_dlg->reject();
  }
};

QTEST_MAIN(TestPreviewPane)
#include "preview_pane_test.moc"
