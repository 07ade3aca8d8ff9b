#pragma once
#include <QDialog>

class QTabWidget;
class QPushButton;

namespace gfs {

inline constexpr const char* kPluginName = "Plugin: Graphical files kreller v1.0";

// True from the moment a dialog of the plug-in is created until the last one is destroyed.
bool SettingsAlive();

// The plug-in's dialog base: pages above an "Ok" button, captioned with the plug-in's name
// whenever it is activated. Its lifetime is what SettingsAlive reports.
class TD_settings : public QDialog {
    Q_OBJECT
public:
    explicit TD_settings(QWidget* parent = nullptr);
    ~TD_settings() override;

protected:
    void changeEvent(QEvent* event) override;

    QTabWidget* PageControl1;
    QPushButton* btmOk;
};

} // namespace gfs
