#include "gfs_fixture.h"
#include "support/ModalDriver.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSlider>
#include <QTabWidget>
#include <cstring>

namespace {

template <typename T>
T* Find(QWidget* dialog, const char* name)
{
    T* child = dialog->findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name;
    return child;
}

QString ActivePage(QWidget* dialog)
{
    return Find<QTabWidget>(dialog, "PageControl1")->currentWidget()->objectName();
}

void Click(QWidget* dialog, const char* name)
{
    Find<QAbstractButton>(dialog, name)->click();
}

// Runs fn once the next modal window whose object name is `name` is up.
void WhenModal(const QString& name, std::function<void(QWidget*)> fn)
{
    auto* poll = new QTimer;
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, name, fn] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal->objectName() != name)
            return;
        poll->stop();
        poll->deleteLater();
        fn(modal);
    });
    poll->start();
}

QSize ImageSize(QWidget* dialog)
{
    return Find<QLabel>(dialog, "Image_main")->size();
}

using GfsDialog = GfsTest;

TEST_F(GfsDialog, EditAfterChoosingCustomSizesAnswersTheFullText)
{
    QString page, caption;
    ClickInNextModal("btmOk", [&](QWidget* dialog) {
        page = ActivePage(dialog);
        caption = dialog->windowTitle();
        Click(dialog, "RG1_item3");
    });
    const std::string text = lib->Call("SHOW_EDIT");
    EXPECT_EQ(page, "TabSheet_condition");
    EXPECT_EQ(caption, "Plugin: Graphical files kreller v1.0");
    EXPECT_EQ(QString::fromStdString(text).split("\r\n", Qt::SkipEmptyParts).size(), 22);
    EXPECT_EQ(text.substr(0, 14), "Custom sizes\r\n");
    EXPECT_NE(text.find("468 x 60=N\r\n"), std::string::npos);
    EXPECT_TRUE(text.ends_with("JPEG=Y\r\nHMIN=1\r\nHMAX=100\r\nWMIN=1\r\nWMAX=100\r\n")) << text;
}

TEST_F(GfsDialog, ResetEmptiesTheConditionAndTicksEveryType)
{
    LoadCondition("Landscapes only\r\n468 x 60=Y\r\nHMIN=5\r\n");
    ClickInNextModal("btmOk", [](QWidget* dialog) { Click(dialog, "btn_reset"); });
    EXPECT_EQ(lib->Call("SHOW_EDIT"), "");

    ClickInNextModal("btmOk", [](QWidget* dialog) {
        Click(dialog, "btn_reset");
        Click(dialog, "RG1_item0");
    });
    const std::string text = lib->Call("SHOW_EDIT");
    for (const char* line : {"Portraits only\r\n", "BMP=Y\r\n", "GIF=Y\r\n", "JPG=Y\r\n", "JPEG=Y\r\n", "468 x 60=N\r\n",
                             "HMIN=1\r\n", "HMAX=100\r\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
}

TEST_F(GfsDialog, ClosingTheWindowKeepsTheEditsAndAnswersStayReadable)
{
    LoadCondition("Portraits only\r\nJPG=Y\r\n");
    ClickInNextModal("noSuchButton", [](QWidget* dialog) {
        Find<QCheckBox>(dialog, "CB_sqr_portrait")->setChecked(true);
        Find<QListWidget>(dialog, "LBexts")->item(3)->setCheckState(Qt::Checked);
        dialog->close();
    });
    const char* first = lib->CallRaw("SHOW_EDIT");
    const std::string firstCopy = first;
    EXPECT_NE(firstCopy.find("JPEG=Y\r\n"), std::string::npos);

    // The square box is no part of the text but stays with the dialog.
    const std::string square = tree.Path("square.jpg");
    WriteJpeg(square, 50, 50);
    LoadCondition("Portraits only\r\nJPG=Y\r\n");
    EXPECT_EQ(lib->Call("FILE_MEETS", square), "Y");
    EXPECT_EQ(first, firstCopy);

    ClickInNextModal("btmOk");
    EXPECT_EQ(lib->Call("SHOW_EDIT"), "Portraits only\r\n" + firstCopy.substr(16, firstCopy.find("BMP") - 16) +
                                          "BMP=N\r\nGIF=N\r\nJPG=Y\r\nJPEG=N\r\nHMIN=1\r\nHMAX=1\r\nWMIN=1\r\nWMAX=1\r\n");
}

TEST_F(GfsDialog, ViewerScalesWithTheSlider)
{
    const std::string picture = tree.Path("odd.bmp");
    WriteImage(picture, 101, 51, "BMP");
    QString page;
    std::vector<QSize> sizes;
    ClickInNextModal("btmOk", [&](QWidget* dialog) {
        page = ActivePage(dialog);
        auto* slider = Find<QSlider>(dialog, "TrB1");
        sizes.push_back(ImageSize(dialog));
        for (int position : {250, 10, 510, 150}) {
            slider->setValue(position);
            sizes.push_back(ImageSize(dialog));
        }
        Click(dialog, "SB100");
        sizes.push_back(ImageSize(dialog));
        EXPECT_EQ(slider->value(), 100);
    });
    EXPECT_EQ(lib->Call("SHOW_FILE", picture), "DONE");
    EXPECT_EQ(page, "TabSheet_img");
    const std::vector<QSize> expected = {{101, 51}, {252, 128}, {10, 5}, {515, 260}, {152, 76}, {101, 51}};
    EXPECT_EQ(sizes, expected);
}

TEST_F(GfsDialog, ShowingADamagedPictureLogsItAndShowsNothing)
{
    const std::string picture = tree.File("bad.gif", "GIF89a and no more");
    QSize size;
    ClickInNextModal("btmOk", [&](QWidget* dialog) { size = ImageSize(dialog); });
    EXPECT_EQ(lib->Call("SHOW_FILE", picture), "DONE");
    EXPECT_EQ(size, QSize(0, 0));
    ASSERT_EQ(ErrorLog().size(), 1);
    EXPECT_TRUE(ErrorLog().first().startsWith(QString::fromStdString(picture + " opening error: ")));
}

namespace {

// Writes a big-endian (JPEG) or little-endian (GIF) 16-bit number into the file's bytes.
void Put16(std::string& bytes, std::size_t at, int value, bool bigEndian)
{
    bytes[at + (bigEndian ? 0 : 1)] = static_cast<char>(value >> 8);
    bytes[at + (bigEndian ? 1 : 0)] = static_cast<char>(value & 0xFF);
}

} // namespace

// A file may state any size: a picture that would take more than a gigabyte is refused with its
// size before anything is allocated, instead of filling the desktop's memory.
TEST_F(GfsDialog, APictureStatingAHugeSizeIsRefusedBeforeItIsMade)
{
    WriteJpeg(tree.Path("huge.jpg"), 16, 16);
    std::string jpeg = ReadAll(tree.Path("huge.jpg"));
    const std::size_t frame = jpeg.find("\xFF\xC0");
    ASSERT_NE(frame, std::string::npos);
    Put16(jpeg, frame + 5, 60000, true);  // height, then width
    Put16(jpeg, frame + 7, 60000, true);
    WriteGif(tree.Path("huge.gif"), 8, 8, 8, 8);
    std::string gif = ReadAll(tree.Path("huge.gif"));
    Put16(gif, 6, 65000, false);  // the screen, then the frame's descriptor
    Put16(gif, 8, 65000, false);
    const std::size_t descriptor = gif.find(',', 13);
    ASSERT_NE(descriptor, std::string::npos);
    Put16(gif, descriptor + 5, 65000, false);
    Put16(gif, descriptor + 7, 65000, false);
    const std::pair<std::string, std::string> cases[] = {{tree.File("huge.jpg", jpeg), "60000 x 60000"},
                                                         {tree.File("huge.gif", gif), "65000 x 65000"}};
    for (const auto& [picture, size] : cases) {
        QSize shown;
        ClickInNextModal("btmOk", [&](QWidget* dialog) { shown = ImageSize(dialog); });
        EXPECT_EQ(lib->Call("SHOW_FILE", picture), "DONE");
        EXPECT_EQ(shown, QSize(0, 0)) << picture;
        ASSERT_FALSE(ErrorLog().isEmpty());
        EXPECT_EQ(ErrorLog().last().toStdString(), picture + " opening error: Picture too large to show: " + size);
    }
}

TEST_F(GfsDialog, LoadFileRestoresTheCurrentDirectory)
{
    WriteGif(tree.Path("p.gif"), 80, 80, 30, 10);
    const QString original = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(tree.Root()));
    const QString before = QDir::currentPath();
    QSize afterCancel, afterLoad;
    QString afterCancelDir;
    ClickInNextModal("btmOk", [&](QWidget* dialog) {
        // The dialog starts in the current directory; each round moves away from it meanwhile.
        WhenModal("OpenDialog1", [](QWidget* open) {
            QDir::setCurrent(QDir::tempPath());
            static_cast<QDialog*>(open)->reject();
        });
        Click(dialog, "btn_load_img");
        afterCancel = ImageSize(dialog);
        afterCancelDir = QDir::currentPath();
        WhenModal("OpenDialog1", [](QWidget* open) {
            auto* files = static_cast<QFileDialog*>(open);
            files->findChild<QLineEdit*>("fileNameEdit")->setText("p.gif");
            QDir::setCurrent(QDir::rootPath());
            static_cast<QDialog*>(files)->accept();
        });
        Click(dialog, "btn_load_img");
        afterLoad = ImageSize(dialog);
    });
    lib->Call("SET_UP");
    const QString after = QDir::currentPath();
    QDir::setCurrent(original);
    EXPECT_EQ(afterCancel, QSize(0, 0));
    EXPECT_EQ(afterCancelDir, before);
    EXPECT_EQ(afterLoad, QSize(30, 10));
    EXPECT_EQ(after, before);
}

} // namespace
