#pragma once
#include "cartridges/common/Cartridge.h"

#include <QDialog>

class QLabel;

// A cartridge's settings: what it reads and how much its text cache holds, with a button that
// empties the cache. The cache is the state; the dialog only shows it.
class TD_crtr_setup : public QDialog {
    Q_OBJECT
public:
    explicit TD_crtr_setup(Cartridge& cartridge, QWidget* parent = nullptr);

private:
    void ShowUsage();
    void btn_empty_cacheClick();

    Cartridge& cartridge_;
    QLabel* cacheLabel_;
};
