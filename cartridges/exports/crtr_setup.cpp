#include "crtr_setup.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TD_crtr_setup::TD_crtr_setup(Cartridge& cartridge, QWidget* parent) : QDialog(parent), cartridge_(cartridge)
{
    setObjectName("TD_crtr_setup");
    setWindowTitle(QString::fromStdString(cartridge.Description().name));
    auto* reads = new QLabel(QString::fromStdString("Reads: " + cartridge.Description().reads), this);
    reads->setObjectName("Label_reads");
    reads->setWordWrap(true);
    cacheLabel_ = new QLabel(this);
    cacheLabel_->setObjectName("Label_cache");
    cacheLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* emptyCache = new QPushButton("Empty cache", this);
    emptyCache->setObjectName("btn_empty_cache");
    auto* ok = new QPushButton("Ok", this);
    ok->setObjectName("btn_ok");
    ok->setDefault(true);
    connect(emptyCache, &QPushButton::clicked, this, &TD_crtr_setup::btn_empty_cacheClick);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(emptyCache);
    buttons->addStretch();
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(reads);
    layout->addWidget(cacheLabel_);
    layout->addLayout(buttons);
    setMinimumWidth(420);
    // A small dialog of its owner: it keeps its size and has only a close button.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    ShowUsage();
}

void TD_crtr_setup::ShowUsage()
{
    TextCache& cache = cartridge_.Cache();
    const std::string folder = cache.Directory().empty() ? "(no cache folder)" : cache.Directory();
    cacheLabel_->setText(QString::fromStdString("Cache: " + CacheUsageText(cache.Usage(), cache.LimitBytes()) + "\n") +
                         QString::fromUtf8(folder.data(), static_cast<qsizetype>(folder.size())));
}

void TD_crtr_setup::btn_empty_cacheClick()
{
    cartridge_.Cache().Clear();
    ShowUsage();
}
