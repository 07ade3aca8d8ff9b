#pragma once
#include "kreller_gfs/image_condition.h"

#include <QWidget>
#include <array>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QListWidget;
class QSpinBox;
class QStackedWidget;

namespace gfs {

// The "Image size condition" page: shows a condition in its controls and reads it back.
class TO_image_condition : public QWidget {
    Q_OBJECT
public:
    explicit TO_image_condition(QWidget* parent = nullptr);

    void ShowCondition(const TImageCondition& condition);
    // The condition as the controls hold it; the file types are not on this page and come from base.
    TImageCondition ReadCondition(const TImageCondition& base) const;

signals:
    // Reset also ticks every file type, which lives on another page.
    void ResetRequested();

private:
    void ShowMode(std::optional<TImageMode> mode);
    std::optional<TImageMode> ChosenMode() const;
    void btn_resetClick();

    QGroupBox* RG1;
    QButtonGroup* modeButtons_;
    QStackedWidget* panels_;
    QCheckBox* CB_sqr_portrait;
    QCheckBox* CB_sqr_landscape;
    QListWidget* CB_banners;
    QSpinBox* SE_hmin;
    QSpinBox* SE_hmax;
    QSpinBox* SE_wmin;
    QSpinBox* SE_wmax;
};

} // namespace gfs
