// The bottom row of the main window (version label, mail links, about link,
// small logo) and the about window, with the real windows offscreen and the
// links recorded by the scripted seams.
#include <QtTest>

#include <QPlainTextEdit>
#include <QTextBlock>

#include "app/App.h"
#include "framework/gui/Seams.h"
#include "ui/About_W.h"
#include "ui/Links.h"
#include "ui/Pictures.h"
#include "ui/Window2.h"
#include "util/ScriptedSeams.h"

#include "gui_fixture.h"

namespace {

// An application object whose short version the test chooses.
class VersionedApp : public App {
 public:
  std::string version = App::ShortVersion();
  std::string Version() const override { return version; }
};

const QString kSite = "https://www.morvane.test";

QString q(const std::string& s) { return QString::fromStdString(s); }

// The about window's text as shown, one entry per line.
QStringList shownLines(About_W* a) {
  QStringList lines;
  const QTextDocument* d = a->Control<fw::TextArea>("EditField1")->document();
  for (QTextBlock b = d->begin(); b.isValid(); b = b.next()) lines << b.text();
  return lines;
}

// Whether the canvas shows the picture pixel for pixel from its top-left
// corner.
bool showsPicture(QWidget* canvas, const QImage& picture) {
  const QImage shot = canvas->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const QImage want = picture.convertToFormat(QImage::Format_RGB32);
  if (shot.width() < want.width() || shot.height() < want.height()) return false;
  for (int y = 0; y < want.height(); ++y)
    for (int x = 0; x < want.width(); ++x)
      if (shot.pixel(x, y) != want.pixel(x, y)) return false;
  return true;
}

QImage resourcePicture(const char* name) {
  const auto folder = ui::ResourcesFolder(QCoreApplication::applicationFilePath());
  return folder ? QImage(*folder + "/" + name) : QImage();
}

}  // namespace

class AboutTest : public QObject {
  Q_OBJECT
  testing_gui::GuiFixture<VersionedApp> gui;
  VersionedApp& app = gui.app();

  Window2* window() {
    Window2* w = Window2::instance();
    if (!QTest::qWaitForWindowExposed(w)) qWarning("window not exposed");
    return w;
  }
  // A click on a main-window control, as the user gives it.
  void click(const char* name) { QTest::mouseClick(window()->ControlByName(name), Qt::LeftButton); }
  About_W* openAbout() {
    click("StaticText18");
    About_W* a = About_W::instance();
    if (!QTest::qWaitForWindowExposed(a)) qWarning("about window not exposed");
    return a;
  }
  // Closes the about window and lets Qt delete it.
  static void gone(QPointer<About_W> a) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(a.isNull());
    QVERIFY(!About_W::isOpen());
  }

 private slots:
  void init() {
    if (About_W::isOpen()) About_W::instance()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  // ---- texts and links ----

  void versionTexts_data() {
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("mainLabel");
    QTest::addColumn<QString>("supportLink");
    QTest::addColumn<QString>("contactLink");
    QTest::addColumn<QString>("aboutLabel");
    // An empty version: two blanks between the v and the ß; the contact
    // subject ends in its blank.
    QTest::newRow("empty") << "" << QString::fromUtf8("Gravelin v  \u00DF - email : ")
                           << "mailto:support@morvane.test?subject=Plumesat v"
                           << "mailto:contact@morvane.test?subject=Gravelin v "
                           << "Gravelin v ";
    // The two subjects differ by the blank before the version.
    QTest::newRow("1.2") << "1.2" << QString::fromUtf8("Gravelin v 1.2 \u00DF - email : ")
                         << "mailto:support@morvane.test?subject=Plumesat v1.2"
                         << "mailto:contact@morvane.test?subject=Gravelin v 1.2"
                         << "Gravelin v 1.2";
    // Nothing in a link is encoded.
    QTest::newRow("blanks and accents") << QString::fromUtf8("2 bêta")
                                        << QString::fromUtf8("Gravelin v 2 bêta \u00DF - email : ")
                                        << QString::fromUtf8("mailto:support@morvane.test?subject=Plumesat v2 bêta")
                                        << QString::fromUtf8("mailto:contact@morvane.test?subject=Gravelin v 2 bêta")
                                        << QString::fromUtf8("Gravelin v 2 bêta");
  }

  // Through the real windows: the labels as they open, the links as clicked.
  void versionTexts() {
    QFETCH(QString, version);
    QFETCH(QString, mainLabel);
    QFETCH(QString, supportLink);
    QFETCH(QString, contactLink);
    QFETCH(QString, aboutLabel);
    // The main label is set once, when a main window opens.
    app.version = version.toStdString();
    window()->close();
    QCOMPARE(q(window()->Label("StaticText16")->Text()), mainLabel);
    QVERIFY(mainLabel.contains(QChar(0x00DF)) && !mainLabel.contains(QChar(0x03B2)));

    testutil::ScriptedSeams seams;
    click("StaticText16");
    click("StaticText17");
    About_W* a = openAbout();
    QCOMPARE(q(a->Control<fw::StaticText>("StaticText2")->Text()), aboutLabel);
    QTest::mouseClick(a->ControlByName("StaticText2"), Qt::LeftButton);
    QTest::mouseClick(a->ControlByName("Canvas1"), Qt::LeftButton);
    QCOMPARE(seams.urls, (std::vector<QString>{supportLink, contactLink, kSite, kSite}));
    QVERIFY(seams.messages.empty());
    a->close();
    app.version = App::ShortVersion();
    window()->close();
  }

  void realVersionIsTheApplicationsShortVersion() {
    QVERIFY(!App::ShortVersion().empty());
    QCOMPARE(window()->Label("StaticText16")->Text(), ui::MainVersionText(App::ShortVersion()));
  }

  void contactAndAboutLinkTexts() {
    QCOMPARE(window()->Label("StaticText17")->Text(), std::string("contact@morvane.test"));
    QCOMPARE(window()->Label("StaticText18")->Text(), std::string("En savoir plus sur Gravelin et www.morvane.test"));
  }

  // Drawn whole, a little smaller where needed, never cut.
  void labelsFitTheirControls() {
    About_W* a = openAbout();
    std::vector<fw::StaticText*> labels;
    for (const char* name : {"StaticText16", "StaticText17", "StaticText18"}) labels.push_back(window()->Label(name));
    labels.push_back(a->Control<fw::StaticText>("StaticText2"));
    for (fw::StaticText* l : labels) {
      const double need = QFontMetricsF(l->DrawnFont()).horizontalAdvance(q(l->Text()));
      QVERIFY2(need <= l->contentsRect().width(), qPrintable(l->objectName() + ": " + QString::number(need) + " > " +
                                                             QString::number(l->contentsRect().width())));
      // The smaller-text rule goes down to 85 % of the label's size.
      const QFont drawn = l->DrawnFont();
      if (drawn != l->font()) QVERIFY(drawn.pointSizeF() >= 0.85 * QFontInfo(l->font()).pointSizeF() - 1e-9);
    }
    a->close();
  }

  // No handler claims the click or the key.
  void handlersReturnFalse() {
    testutil::ScriptedSeams seams;
    Window2* w = window();
    QVERIFY(!w->StaticText16_MouseDown(1, 2));
    QVERIFY(!w->StaticText17_MouseDown(1, 2));
    QVERIFY(!w->StaticText18_MouseDown(1, 2));
    QVERIFY(!w->Canvas1_MouseDown(1, 2));
    QVERIFY(!w->PubPlumesatST_KeyDown("a"));
    QVERIFY(!w->PubPlumesatST_KeyDown("\r"));
    About_W* a = About_W::instance();
    QVERIFY(!a->Canvas1_MouseDown(1, 2));
    QVERIFY(!a->StaticText2_MouseDown(1, 2));
    QCOMPARE(seams.urls.size(), size_t{4});
    a->close();
  }

  // ---- the about window ----

  void aboutLinkAndSmallLogoDoTheSame_data() {
    QTest::addColumn<QString>("control");
    QTest::newRow("about link") << "StaticText18";
    QTest::newRow("small logo") << "Canvas1";
  }

  void aboutLinkAndSmallLogoDoTheSame() {
    QFETCH(QString, control);
    testutil::ScriptedSeams seams;
    QVERIFY(!About_W::isOpen());
    click(control.toUtf8().constData());
    QVERIFY(About_W::isOpen());
    About_W* a = About_W::instance();
    QVERIFY(QTest::qWaitForWindowExposed(a));
    QVERIFY(a->isVisible());
    QCOMPARE(QApplication::activeModalWidget(), a);
    QVERIFY(seams.urls.empty());
    QPointer<About_W> open = a;
    a->close();
    gone(open);
  }

  // A click while it is open shows that same window: never a second one.
  void oneAtATime() {
    About_W* a = openAbout();
    QVERIFY(!window()->StaticText18_MouseDown(0, 0));
    QVERIFY(!window()->Canvas1_MouseDown(0, 0));
    QCOMPARE(About_W::instance(), a);
    int shown = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) shown += qobject_cast<About_W*>(w) && w->isVisible();
    QCOMPARE(shown, 1);
    a->close();
  }

  void windowProperties() {
    About_W* a = openAbout();
    QCOMPARE(a->windowTitle(), QString("A propos de ..."));
    QCOMPARE(a->Content()->size(), QSize(510, 245));
    // Not resizable.
    QCOMPARE(a->Content()->minimumSize(), QSize(510, 245));
    QCOMPARE(a->Content()->maximumSize(), QSize(510, 245));
    QCOMPARE(a->minimumSize(), a->maximumSize());
    QCOMPARE(a->windowModality(), Qt::ApplicationModal);
    const Qt::WindowFlags f = a->windowFlags();
    QVERIFY(f & Qt::WindowCloseButtonHint);
    QVERIFY(!(f & Qt::WindowMaximizeButtonHint));
    QVERIFY(!(f & Qt::WindowMinimizeButtonHint));
    QCOMPARE(f & Qt::WindowType_Mask, Qt::Dialog);
    // Over the main window.
    QCOMPARE(a->parentWidget(), window());
    a->close();
  }

  void controlsAtTheirPlaces() {
    About_W* a = openAbout();
    struct C {
      const char* name;
      const char* cls;
      QRect rect;
      double size;
    };
    const C controls[] = {{"EditField1", "fw::TextArea", {127, 14, 360, 210}, 11},
                          {"Canvas1", "fw::Canvas", {27, 35, 81, 99}, 0},
                          {"StaticText2", "fw::StaticText", {27, 146, 100, 20}, 10},
                          {"PushButton1", "fw::PushButton", {34, 206, 69, 20}, 12}};
    std::vector<QString> names;
    for (QWidget* c : a->Controls()) names.push_back(c->objectName());
    QCOMPARE(names, (std::vector<QString>{"EditField1", "Canvas1", "StaticText2", "PushButton1"}));
    for (const C& c : controls) {
      QWidget* w = a->ControlByName(c.name);
      QVERIFY2(w, c.name);
      QCOMPARE(QString(w->metaObject()->className()), QString(c.cls));
      QCOMPARE(w->geometry(), c.rect);
      QCOMPARE(fw::TextSize(w), c.size);
      if (c.size > 0) QCOMPARE(w->font().pixelSize(), int(c.size));
      QVERIFY(w->isVisible() && w->isEnabled());
      QVERIFY(!w->font().bold() && !w->font().italic() && !w->font().underline());
    }
    auto* text = a->Control<fw::TextArea>("EditField1");
    QVERIFY(text->isReadOnly());
    QCOMPARE(text->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(text->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QVERIFY(text->tabChangesFocus());
    QCOMPARE(a->ControlByName("Canvas1")->focusPolicy(), Qt::NoFocus);
    auto* close = a->Control<fw::PushButton>("PushButton1");
    QCOMPARE(close->text(), QString("Fermer"));
    QVERIFY(close->isDefault());
    QCOMPARE(a->Control<fw::StaticText>("StaticText2")->TextAlign(), 0);
    const QStringList bound = {"Canvas1.Paint", "Canvas1.MouseDown", "StaticText2.Open", "StaticText2.MouseDown",
                               "PushButton1.Action"};
    QStringList bindings;
    for (const auto& b : a->Bindings()) {
      QCOMPARE(b.method, b.control + "_" + b.event);
      bindings << b.control + "." + b.event;
    }
    QCOMPARE(bindings, bound);

    // The tab order: the text, then "Fermer" (the logo and the label take
    // no focus), then round again.
    text->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), text);
    QTest::keyClick(text, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), close);
    QTest::keyClick(close, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), text);
    a->close();
  }

  void aboutTextLineByLine() {
    About_W* a = openAbout();
    const QString blanks(26, ' ');
    const QStringList head = {
        blanks + "Gravelin",
        "",
        QString::fromUtf8("Gravelin est un utilitaire pour Linux destiné à l'investigation numérique, qui facilite "
                          "l'extraction des données des appareils de navigation par satellite (GPS)."),
        QString::fromUtf8("Il recherche et décode tous les enregistrements commençant par la chaine hexa : 04 00 .. 00 "
                          "00 00 04 00 .. 00 00 00 08 00."),
        QString::fromUtf8("Vous pouvez au choix décoder le contenu :"),
        QString::fromUtf8(" 1- du champ texte situé en haut de l'écran. Un exemple est déjà présent dans ce champ."),
        QString::fromUtf8(" 2- d'un fichier .cfg contenu dans un GPS"),
        QString::fromUtf8(" 3- d'une image binaire d'un GPS complet (faite avec un dd, FTK imager, ...). C'est à dire "
                          "d'une carte mémoire ou de celle intégrée au GPS lui-même"),
        "",
    };
    const QStringList tail = {
        "",
        blanks + "Morvane",
        QString::fromUtf8("Morvane conçoit des outils d'investigation numérique, dont Plumesat."),
        "",
        "Contact : Service support Morvane",
        QString::fromUtf8("Téléphone : +33 1 99 00 12 34"),
        "Email : contact@morvane.test",
    };
    const QStringList shown = shownLines(a);
    QCOMPARE(shown.mid(0, head.size()), head);
    QCOMPARE(shown.size(), head.size() + 1 + tail.size());
    QVERIFY(shown[head.size()].startsWith("Cette version"));  // the note on this version
    QCOMPARE(shown.mid(head.size() + 1), tail);
    // Stored with carriage returns between the lines, none at the end.
    const QString stored = q(About_W::Text());
    QCOMPARE(stored.split('\r'), shown);
    QVERIFY(!stored.contains('\n'));
    a->close();
  }

  // Closed by "Fermer", by Return (the default button) or by its close box;
  // the next click builds a new window whose logo comes from the cache.
  void closedAndBuiltAgain_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("Fermer") << "button";
    QTest::newRow("Return") << "return";
    QTest::newRow("close box") << "closebox";
  }

  void closedAndBuiltAgain() {
    QFETCH(QString, how);
    const QImage logo = resourcePicture("Morvanelogo.jpg");
    QVERIFY(!logo.isNull());
    QCOMPARE(logo.size(), QSize(81, 99));
    About_W* a = openAbout();
    QVERIFY(showsPicture(a->ControlByName("Canvas1"), logo));
    const int lookups = ui::Morvanelogo().Lookups();
    QVERIFY(lookups >= 1);
    a->Control<fw::StaticText>("StaticText2")->SetText("changed");

    QPointer<About_W> old = a;
    if (how == "button") QTest::mouseClick(a->ControlByName("PushButton1"), Qt::LeftButton);
    if (how == "return") QTest::keyClick(a->ControlByName("EditField1"), Qt::Key_Return);
    if (how == "closebox") a->close();
    gone(old);

    About_W* again = openAbout();
    QCOMPARE(q(again->Control<fw::StaticText>("StaticText2")->Text()), q(ui::AboutVersionText(app.version)));
    QVERIFY(showsPicture(again->ControlByName("Canvas1"), logo));
    QCOMPARE(ui::Morvanelogo().Lookups(), lookups);  // not read again
    again->close();
  }

  void mainWindowCanvasesShowTheirPictures() {
    Window2* w = window();
    const QImage small = resourcePicture("Morvanelogo25.jpg");
    const QImage clear = resourcePicture("delete.jpg");
    QCOMPARE(small.size(), QSize(26, 32));
    QCOMPARE(clear.size(), QSize(16, 16));
    QVERIFY(showsPicture(w->ControlByName("Canvas1"), small));
    QVERIFY(showsPicture(w->ControlByName("CleanPB"), clear));
    const int reads = ui::delete_().Lookups();
    w->ControlByName("CleanPB")->grab();
    QCOMPARE(ui::delete_().Lookups(), reads);
  }
};

QTEST_MAIN(AboutTest)
#include "about_test.moc"
