#pragma once
#include "conditions/_clouds.h"

// The clouds editor as the Context kreller embeds it.
class TOadvCloud : public TOclouds {
    Q_OBJECT
public:
    explicit TOadvCloud(QWidget* parent = nullptr);

    // Active, with at least one cloud and one pin: a diagram worth keeping as a condition.
    bool IsComplete() const { return Diagram().IsComplete(); }
};
