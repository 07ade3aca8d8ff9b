#pragma once
#include <QDialog>

// The about box "About": program name, version, terms of use, a link to the publisher's site, "Ok".
class TF_about : public QDialog {
    Q_OBJECT
public:
    explicit TF_about(QWidget* parent = nullptr);
};
