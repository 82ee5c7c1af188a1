// The main window driven headless: drops, browsing, compare, reset, keys, the about entry, the
// progress dialog and the layout. Message boxes and the file chooser are scripted fakes.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <openssl/sha.h>

#include <memory>

#include "about_dlg.h"
#include "md5.h"
#include "prompts.h"
#include "tessarin_dlg.h"

using namespace tessarin;

namespace {

const QString kTitle = QStringLiteral("ZELTARO Hash Compare Tool");
const QString kWrongDropCount = QStringLiteral(
    "Drap&Drop 을 잘못하였습니다. \n파일을 하나 또는 두개만 Drag&Drop 하시길 바랍니다.");
const QString kSelectFirst = QStringLiteral("먼저 비교할 파일들을 선택하시길 바랍니다.");
const QString kIdentical = QStringLiteral("두 개의 파일이 동일합니다. (Hash 값 동일)");
const QString kDifferent = QStringLiteral("두 개의 파일이 동일하지 않습니다. (Hash 값 다름)");

class FakeMessages final : public MessageBoxes {
public:
    struct Shown {
        QWidget* owner;
        Icon icon;
        QString caption;
        QString text;
    };
    void Show(QWidget* owner, Icon icon, const QString& caption, const QString& text) override {
        shown.append({owner, icon, caption, text});
    }
    QList<Shown> shown;
};

class FakeChooser final : public FileChooser {
public:
    QString ChooseFile(QWidget*, const QString& filter) override {
        filters.append(filter);
        return answer;
    }
    QString answer;
    QStringList filters;
};

QString OpenSslHex(const QByteArray& data) {
    unsigned char digest[SHA256_DIGEST_LENGTH];
    SHA256(reinterpret_cast<const unsigned char*>(data.constData()), static_cast<size_t>(data.size()),
           digest);
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(digest), sizeof digest).toHex().toUpper());
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    FakeMessages messages_;
    FakeChooser chooser_;
    std::unique_ptr<CTessarinDlg> dialog_;

    QString Write(const QString& name, const QByteArray& data) {
        const QString path = dir_.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size()) qFatal("cannot write fixture");
        return path;
    }
    template <class T>
    T* Child(const char* name) const {
        T* child = dialog_->findChild<T*>(QLatin1String(name));
        if (child == nullptr) qFatal("no child %s", name);
        return child;
    }
    QLineEdit* Edit(const char* name) const { return Child<QLineEdit>(name); }
    QStringList Boxes() const {
        return {Edit("editPath1")->text(), Edit("editHash1")->text(), Edit("editPath2")->text(),
                Edit("editHash2")->text()};
    }
    void Fill(const QStringList& texts) {
        Edit("editPath1")->setText(texts[0]);
        Edit("editHash1")->setText(texts[1]);
        Edit("editPath2")->setText(texts[2]);
        Edit("editHash2")->setText(texts[3]);
    }
    // A drop reaches only the widget that accepted the drag's entry, as on a desktop.
    void Drop(const QList<QUrl>& urls, QPoint point) {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(dialog_.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(point), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(dialog_.get(), &drop);
    }
    // Checks the one message shown since the last call.
    void ExpectMessage(MessageBoxes::Icon icon, const QString& text) {
        QCOMPARE(messages_.shown.size(), 1);
        const FakeMessages::Shown shown = messages_.shown.takeFirst();
        QCOMPARE(shown.owner, dialog_.get());
        QCOMPARE(shown.caption, kTitle);
        QCOMPARE(int(shown.icon), int(icon));
        QCOMPARE(shown.text, text);
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        Write("a.bin", "first file");
        Write("b.bin", "second file");
        Write("empty.bin", {});
        Write("three_blocks.bin", QByteArray(3 * int(kReadBlockSize) + 5, 'z'));
    }

    void init() {
        messages_.shown.clear();
        chooser_ = FakeChooser();
        dialog_ = std::make_unique<CTessarinDlg>(messages_, chooser_);
        dialog_->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog_.get()));
    }

    void cleanup() {
        dialog_.reset();
        QVERIFY(messages_.shown.isEmpty());
    }

    void dropOneFile_data() {
        QTest::addColumn<QString>("place");
        QTest::addColumn<int>("group");
        QTest::newRow("upper group") << "upper" << 1;
        QTest::newRow("lower group") << "lower" << 2;
        QTest::newRow("just above the dividing line") << "above line" << 1;
        QTest::newRow("on the dividing line") << "on line" << 2;
        QTest::newRow("on the buttons") << "bottom" << 2;
        QTest::newRow("outside the client area") << "outside" << 0;
    }

    void dropOneFile() {
        QFETCH(QString, place);
        QFETCH(int, group);
        const QRect upper = Child<QGroupBox>("upperGroup")->geometry();
        const QRect lower = Child<QGroupBox>("lowerGroup")->geometry();
        // Without a window frame the dividing line is the lower group's top edge.
        const int line = lower.top() + dialog_->geometry().bottom() - dialog_->frameGeometry().bottom();
        const QPoint point = place == "upper"        ? upper.center()
                             : place == "lower"      ? lower.center()
                             : place == "above line" ? QPoint(20, line - 1)
                             : place == "on line"    ? QPoint(20, line)
                             : place == "bottom"     ? Child<QPushButton>("closeButton")->geometry().center()
                                                     : QPoint(dialog_->width() + 3, upper.center().y());
        const QStringList before{"p1", "h1", "p2", "h2"};
        Fill(before);
        const QString path = dir_.filePath("a.bin");
        Drop({QUrl::fromLocalFile(path)}, point);
        QStringList expected = before;
        if (group != 0) {
            expected[(group - 1) * 2] = path;
            expected[(group - 1) * 2 + 1] = OpenSslHex("first file");
        }
        QCOMPARE(Boxes(), expected);
    }

    void dropTwoFiles() {
        Fill({"p1", "h1", "p2", "h2"});
        Drop({QUrl::fromLocalFile(dir_.filePath("b.bin")), QUrl::fromLocalFile(dir_.filePath("a.bin"))},
             Child<QGroupBox>("lowerGroup")->geometry().center());
        QCOMPARE(Boxes(), (QStringList{dir_.filePath("b.bin"), OpenSslHex("second file"), dir_.filePath("a.bin"),
                                       OpenSslHex("first file")}));
    }

    void dropThreeFiles() {
        const QStringList before{"p1", "h1", "p2", "h2"};
        Fill(before);
        const QUrl url = QUrl::fromLocalFile(dir_.filePath("a.bin"));
        Drop({url, url, url}, Child<QGroupBox>("upperGroup")->geometry().center());
        ExpectMessage(MessageBoxes::Icon::Error, kWrongDropCount);
        QCOMPARE(Boxes(), before);
    }

    void dropLongPath() {
        QString nested = dir_.path();
        for (int level = 0; level < 5; ++level) {
            nested += QLatin1Char('/') + QString(240, QLatin1Char('k' + level));
            QVERIFY(QDir().mkpath(nested));
        }
        const QString path = nested + QStringLiteral("/파일.bin");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write("deep"), 4);
        file.close();
        Drop({QUrl::fromLocalFile(path)}, Child<QGroupBox>("upperGroup")->geometry().center());
        QCOMPARE(Edit("editPath1")->text(), path);
        QCOMPARE(Edit("editHash1")->text(), OpenSslHex("deep"));
    }

    void dragAcceptsLocalFilesOnly_data() {
        QTest::addColumn<QList<QUrl>>("urls");
        QTest::addColumn<bool>("accepted");
        const QUrl local = QUrl::fromLocalFile(dir_.filePath("a.bin"));
        const QUrl remote(QStringLiteral("https://example.org/a.bin"));
        QTest::newRow("one local file") << QList<QUrl>{local} << true;
        QTest::newRow("three local files") << QList<QUrl>{local, local, local} << true;
        QTest::newRow("remote file") << QList<QUrl>{remote} << false;
        QTest::newRow("local and remote") << QList<QUrl>{local, remote} << false;
        QTest::newRow("text only") << QList<QUrl>{} << false;
    }

    void dragAcceptsLocalFilesOnly() {
        QFETCH(QList<QUrl>, urls);
        QFETCH(bool, accepted);
        QMimeData data;
        data.setUrls(urls);
        data.setText(QStringLiteral("text"));
        QDragEnterEvent event(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        event.setAccepted(false);
        QApplication::sendEvent(dialog_.get(), &event);
        QCOMPARE(event.isAccepted(), accepted);
    }

    void browse() {
        chooser_.answer = dir_.filePath("a.bin");
        QTest::mouseClick(Child<QPushButton>("browseButton1"), Qt::LeftButton);
        chooser_.answer = dir_.filePath("b.bin");
        QTest::mouseClick(Child<QPushButton>("browseButton2"), Qt::LeftButton);
        const QStringList filled{dir_.filePath("a.bin"), OpenSslHex("first file"), dir_.filePath("b.bin"),
                                 OpenSslHex("second file")};
        QCOMPARE(Boxes(), filled);
        chooser_.answer.clear();
        QTest::mouseClick(Child<QPushButton>("browseButton1"), Qt::LeftButton);
        QTest::mouseClick(Child<QPushButton>("browseButton2"), Qt::LeftButton);
        QCOMPARE(Boxes(), filled);
        const QString filter = QStringLiteral("exe and cab (*.exe)(*.cab) (*.exe *.cab);;All Files (*.*) (*)");
        QCOMPARE(chooser_.filters, QStringList(4, filter));
    }

    void emptyFileThenCompare() {
        chooser_.answer = dir_.filePath("empty.bin");
        QTest::mouseClick(Child<QPushButton>("browseButton1"), Qt::LeftButton);
        chooser_.answer = dir_.filePath("a.bin");
        QTest::mouseClick(Child<QPushButton>("browseButton2"), Qt::LeftButton);
        QCOMPARE(Edit("editPath1")->text(), dir_.filePath("empty.bin"));
        QCOMPARE(Edit("editHash1")->text(), QString());
        QTest::mouseClick(Child<QPushButton>("compareButton"), Qt::LeftButton);
        ExpectMessage(MessageBoxes::Icon::Warning, kSelectFirst);
    }

    void compare_data() {
        QTest::addColumn<QString>("upper");
        QTest::addColumn<QString>("lower");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("text");
        const QString digest = OpenSslHex("first file");
        const int error = int(MessageBoxes::Icon::Error);
        QTest::newRow("equal texts, no files") << digest << digest << int(MessageBoxes::Icon::Information)
                                               << kIdentical;
        QTest::newRow("differ only in case") << digest << digest.toLower() << error << kDifferent;
        QTest::newRow("trailing space") << digest << digest + " " << error << kDifferent;
        QTest::newRow("different digests") << digest << OpenSslHex("second file") << error << kDifferent;
        QTest::newRow("upper box empty") << QString() << digest << int(MessageBoxes::Icon::Warning) << kSelectFirst;
        QTest::newRow("lower box empty") << digest << QString() << int(MessageBoxes::Icon::Warning) << kSelectFirst;
        QTest::newRow("both empty") << QString() << QString() << int(MessageBoxes::Icon::Warning) << kSelectFirst;
    }

    void compare() {
        QFETCH(QString, upper);
        QFETCH(QString, lower);
        QFETCH(int, icon);
        QFETCH(QString, text);
        QTest::keyClicks(Edit("editHash1"), upper);
        QTest::keyClicks(Edit("editHash2"), lower);
        QTest::mouseClick(Child<QPushButton>("compareButton"), Qt::LeftButton);
        ExpectMessage(MessageBoxes::Icon(icon), text);
        QCOMPARE(Boxes(), (QStringList{QString(), upper, QString(), lower}));
    }

    void reset() {
        Fill({"p1", "h1", "p2", "h2"});
        QTest::mouseClick(Child<QPushButton>("resetButton"), Qt::LeftButton);
        QCOMPARE(Boxes(), QStringList(4, QString()));
    }

    void keysClose_data() {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("result");
        QTest::newRow("Enter in the upper digest") << "editHash1" << int(Qt::Key_Return) << int(QDialog::Accepted);
        QTest::newRow("keypad Enter in the lower path") << "editPath2" << int(Qt::Key_Enter) << int(QDialog::Accepted);
        QTest::newRow("Escape in the lower digest") << "editHash2" << int(Qt::Key_Escape) << int(QDialog::Rejected);
    }

    void keysClose() {
        QFETCH(QString, edit);
        QFETCH(int, key);
        QFETCH(int, result);
        dialog_->setResult(-1);
        QTest::keyClick(Edit(edit.toLatin1().constData()), Qt::Key(key));
        QVERIFY(!dialog_->isVisible());
        QCOMPARE(dialog_->result(), result);
    }

    void closeButtons() {
        QVERIFY(Child<QPushButton>("closeButton")->isDefault());
        QCOMPARE(Child<QPushButton>("closeButton")->text(), QStringLiteral("닫기"));
        QVERIFY(Child<QPushButton>("cancelButton")->isHidden());
        QCOMPARE(Child<QPushButton>("cancelButton")->text(), QStringLiteral("취소"));
        QTest::mouseClick(Child<QPushButton>("closeButton"), Qt::LeftButton);
        QVERIFY(!dialog_->isVisible());
        QCOMPARE(dialog_->result(), int(QDialog::Accepted));
    }

    void contextMenuOpensAbout() {
        QStringList entries;
        bool about_seen = false;
        QTimer::singleShot(0, this, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu != nullptr);
            for (const QAction* action : menu->actions()) {
                entries.append(action->isSeparator() ? QStringLiteral("-") : action->text());
            }
            QTimer::singleShot(0, this, [&] {
                auto* about = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
                QVERIFY(about != nullptr);
                about_seen = true;
                QCOMPARE(about->windowTitle(), QStringLiteral("Tessarin 정보"));
                QCOMPARE(about->findChild<QLabel*>("aboutText")->text(), QStringLiteral("Tessarin, 버전 1.0"));
                auto* ok = about->findChild<QPushButton*>("aboutOk");
                QCOMPARE(ok->text(), QStringLiteral("확인"));
                QVERIFY(ok->isDefault());
                QTest::keyClick(ok, Qt::Key_Return);
            });
            QTest::keyClick(menu, Qt::Key_A);
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), dialog_->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(dialog_.get(), &event);
        QCOMPARE(entries, (QStringList{"-", QStringLiteral("Tessarin 정보(&A)...")}));
        QVERIFY(about_seen);
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QVERIFY(dialog_->isVisible());
    }

    void progressDialog_data() {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("runs to the end") << false;
        QTest::newRow("cancelled") << true;
    }

    void progressDialog() {
        QFETCH(bool, cancel);
        dialog_->SetProgressDelay(std::chrono::milliseconds(0));
        const QString path = dir_.filePath("three_blocks.bin");
        bool seen = false;
        QTimer::singleShot(0, this, [&] {
            auto* progress = dialog_->findChild<QProgressDialog*>("digestProgress");
            QVERIFY(progress != nullptr);
            QVERIFY(progress->isVisible());
            QVERIFY(progress->isModal());
            QCOMPARE(progress->windowTitle(), kTitle);
            QCOMPARE(progress->labelText(), QStringLiteral("three_blocks.bin"));
            QVERIFY(QApplication::overrideCursor() != nullptr);
            seen = true;
            if (cancel) progress->cancel();
        });
        Drop({QUrl::fromLocalFile(path)}, Child<QGroupBox>("lowerGroup")->geometry().center());
        QVERIFY(seen);
        QCOMPARE(Edit("editPath2")->text(), path);
        QCOMPARE(Edit("editHash2")->text(), cancel ? QString() : OpenSslHex(QByteArray(3 * int(kReadBlockSize) + 5, 'z')));
        QVERIFY(QApplication::overrideCursor() == nullptr);
        QVERIFY(dialog_->findChild<QProgressDialog*>() == nullptr);
    }

    void titleAndSize() {
        QCOMPARE(dialog_->windowTitle(), kTitle);
        QCOMPARE(dialog_->minimumSize(), dialog_->maximumSize());
        QVERIFY(dialog_->windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(!(dialog_->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(Edit("editPath1")->isReadOnly() && Edit("editPath2")->isReadOnly());
        QVERIFY(!Edit("editHash1")->isReadOnly() && !Edit("editHash2")->isReadOnly());
    }

    // Every text fits its control, no two controls overlap, and each sits in one group or in none.
    void layoutShowsEveryText() {
        const QList<QWidget*> widgets = dialog_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        QList<QWidget*> groups;
        QList<QWidget*> controls;
        for (QWidget* widget : widgets) {
            if (!widget->isVisible()) continue;
            (qobject_cast<QGroupBox*>(widget) ? groups : controls).append(widget);
            QVERIFY2(dialog_->rect().contains(widget->geometry()), qPrintable(widget->objectName()));
            const QByteArray object = widget->objectName().toLatin1();
            const char* name = object.constData();
            if (auto* group = qobject_cast<QGroupBox*>(widget)) {
                QVERIFY2(group->minimumSizeHint().width() <= group->width(), name);
                continue;
            }
            QVERIFY2(widget->sizeHint().height() <= widget->height(), name);
            if (auto* label = qobject_cast<QLabel*>(widget)) QVERIFY2(label->sizeHint().width() <= label->width(), name);
            if (auto* button = qobject_cast<QPushButton*>(widget)) {
                // The style's own minimum width (a look, not a need) is left out.
                const QStyle* style = button->style();
                const int needed = button->fontMetrics().horizontalAdvance(button->text()) +
                                   2 * style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) +
                                   2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
                QVERIFY2(needed <= button->width(), name);
            }
        }
        QCOMPARE(groups.size(), 2);
        QCOMPARE(controls.size(), 11);
        QVERIFY(!groups[0]->geometry().intersects(groups[1]->geometry()));
        for (QWidget* control : controls) {
            for (QWidget* other : controls) {
                QVERIFY2(control == other || !control->geometry().intersects(other->geometry()),
                         qPrintable(control->objectName() + " / " + other->objectName()));
            }
            for (QWidget* group : groups) {
                const QRect inside = group->contentsRect().translated(group->pos());
                QVERIFY2(inside.contains(control->geometry()) || !group->geometry().intersects(control->geometry()),
                         qPrintable(control->objectName() + " in " + group->objectName()));
            }
        }
        const auto x = [this](const char* name) { return Child<QPushButton>(name)->x(); };
        QVERIFY(x("resetButton") < x("compareButton") && x("compareButton") < x("closeButton"));
        QVERIFY(Child<QGroupBox>("upperGroup")->y() < Child<QGroupBox>("lowerGroup")->y());
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
