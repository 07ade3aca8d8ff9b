#include "kreller_gfs/image_viewer.h"
#include "kreller_gfs/graph_convertor.h"

#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

namespace gfs {
namespace {

constexpr int kMargin = 14;
constexpr const char* kOpenFilter = "All available graphic filetypes|*.bmp;*.gif;*.jpg;*.jpeg|*.bmp|*.bmp|*.gif|*.gif|"
                                    "*.jpeg|*.jpeg|*.jpg|*jpg";

} // namespace

int ScaledLength(int percent, int natural)
{
    const long long product = static_cast<long long>(percent) * natural;
    long long whole = product / 100;
    const long long rest = product % 100;
    if (rest > 50 || (rest == 50 && whole % 2 != 0))
        ++whole;
    return static_cast<int>(whole);
}

QStringList NameFiltersFromPairs(const QString& pairs)
{
    const QStringList parts = pairs.split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        filters << QString("%1 (%2)").arg(parts[i], patterns.replace(';', ' '));
    }
    return filters;
}

TO_image_viewer::TO_image_viewer(QWidget* parent)
    : QWidget(parent)
{
    ScrollBox1 = new QScrollArea;
    ScrollBox1->setObjectName("ScrollBox1");
    ScrollBox1->setBackgroundRole(QPalette::Dark);
    canvas_ = new QWidget;
    canvas_->setBackgroundRole(QPalette::Dark);
    Image_main = new QLabel(canvas_);
    Image_main->setObjectName("Image_main");
    Image_main->move(kMargin, kMargin);
    Image_main->resize(0, 0);
    ScrollBox1->setWidget(canvas_);

    TrB1 = new QSlider(Qt::Horizontal);
    TrB1->setObjectName("TrB1");
    TrB1->setToolTip("Scale");
    TrB1->setRange(10, 510);
    TrB1->setValue(100);
    TrB1->setPageStep(25);
    TrB1->setTickInterval(25);
    TrB1->setTickPosition(QSlider::TicksBelow);
    connect(TrB1, &QSlider::valueChanged, this, &TO_image_viewer::TrB1Change);

    auto* SB100 = new QToolButton;
    SB100->setObjectName("SB100");
    SB100->setText("100%");
    connect(SB100, &QToolButton::clicked, this, &TO_image_viewer::SB100Click);

    auto* btn_load_img = new QPushButton("Load file");
    btn_load_img->setObjectName("btn_load_img");
    connect(btn_load_img, &QPushButton::clicked, this, &TO_image_viewer::btn_load_imgClick);

    auto* controls = new QHBoxLayout;
    controls->addWidget(TrB1, 1);
    controls->addWidget(SB100);
    controls->addWidget(btn_load_img);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ScrollBox1, 1);
    layout->addLayout(controls);
}

void TO_image_viewer::LoadImage(const std::string& path)
{
    ShowPicture(QImage());
    if (const std::optional<QImage> picture = GraphicFileToBitmap(path))
        ShowPicture(*picture);
}

void TO_image_viewer::ShowPicture(const QImage& picture)
{
    Image_main->setScaledContents(true);
    Image_main->setPixmap(QPixmap::fromImage(picture));
    Image_main->resize(picture.size());
    // The slider is moved back to 100 without rescaling the picture just shown.
    TrB1->setEnabled(false);
    TrB1->setValue(100);
    NaturalWidth = Image_main->width();
    NaturalHeight = Image_main->height();
    TrB1->setEnabled(true);
    canvas_->resize(NaturalWidth + 2 * kMargin, NaturalHeight + 2 * kMargin);
}

void TO_image_viewer::TrB1Change()
{
    if (TrB1->isEnabled())
        Rescale();
}

void TO_image_viewer::Rescale()
{
    const int percent = TrB1->value();
    Image_main->resize(ScaledLength(percent, NaturalWidth), ScaledLength(percent, NaturalHeight));
    canvas_->resize(Image_main->width() + 2 * kMargin, Image_main->height() + 2 * kMargin);
}

void TO_image_viewer::SB100Click()
{
    TrB1->setValue(100);
}

// Made on first use, never at INIT: the file dialogs of one process share the folder the last one
// showed, and at INIT the current directory is the plug-in directory, where every folder browser of
// the host would then open.
QFileDialog* TO_image_viewer::OpenDialog()
{
    if (!OpenDialog1) {
        OpenDialog1 = new QFileDialog(this, QString(), QDir::currentPath());
        OpenDialog1->setObjectName("OpenDialog1");
        OpenDialog1->setOption(QFileDialog::DontUseNativeDialog);
        OpenDialog1->setFileMode(QFileDialog::ExistingFile);
        OpenDialog1->setNameFilters(NameFiltersFromPairs(kOpenFilter));
    }
    return OpenDialog1;
}

void TO_image_viewer::btn_load_imgClick()
{
    const QString current = QDir::currentPath();
    OpenDialog()->setDirectory(current);
    const bool chosen = OpenDialog1->exec() == QDialog::Accepted && !OpenDialog1->selectedFiles().isEmpty();
    QDir::setCurrent(current);
    if (!chosen)
        return;
    try {
        LoadImage(OpenDialog1->selectedFiles().first().toStdString());
    } catch (const std::exception& error) {
        QMessageBox::warning(this, window()->windowTitle(), QString::fromStdString(error.what()));
    }
}

} // namespace gfs
