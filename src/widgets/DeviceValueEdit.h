#pragma once

class QLineEdit;
class QWidget;

namespace kvt {

// An edit that shows what the controller holds or confirmed: read-only, never focused, grey like
// the dialog so that nobody mistakes it for a field to type into, yet readable (not disabled).
QLineEdit* makeDeviceValueEdit(QWidget* parent);

}  // namespace kvt
