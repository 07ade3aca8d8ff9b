#pragma once
#include <QStringList>
#include <QWidget>
#include <string>

class QFileDialog;
class QLabel;
class QScrollArea;
class QSlider;

namespace gfs {

// A length at a scale in per cent, rounded to the nearest integer with halves to the even one.
int ScaledLength(int percent, int natural);

// A file dialog filter written as description|patterns pairs (patterns separated by ';') as
// Qt's name filters.
QStringList NameFiltersFromPairs(const QString& pairs);

// The "View image" page: a picture at a scale chosen with a slider, and a button to load another.
class TO_image_viewer : public QWidget {
    Q_OBJECT
public:
    explicit TO_image_viewer(QWidget* parent = nullptr);

    // Shows a file's picture at 100 %; nothing when the file is not a picture. A damaged picture
    // throws EGraphicError and leaves the viewer empty.
    void LoadImage(const std::string& path);

    int NaturalWidth = 0;
    int NaturalHeight = 0;

private:
    void ShowPicture(const QImage& picture);
    void Rescale();
    void TrB1Change();
    void SB100Click();
    void btn_load_imgClick();
    QFileDialog* OpenDialog();

    QScrollArea* ScrollBox1;
    QWidget* canvas_;
    QLabel* Image_main;
    QSlider* TrB1;
    QFileDialog* OpenDialog1 = nullptr;
};

} // namespace gfs
