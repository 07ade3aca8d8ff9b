#include "conditions/_advCloud.h"

TOadvCloud::TOadvCloud(QWidget* parent) : TOclouds(parent) {}
