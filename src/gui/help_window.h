// The help window: the program's own HTML help, opened on a topic.
#pragma once

#include <QString>
#include <QWidget>

namespace kelvaro::gui {

// Shows the help window (one for the whole program) on the page of the topic keyword.
void showHelpTopic(const QString& topic, QWidget* parent);

}  // namespace kelvaro::gui
