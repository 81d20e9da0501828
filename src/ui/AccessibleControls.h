// Screen readers' view of the entry fields, lists, result texts, pages and the home page's text.
#pragma once

#include <QString>

class QAccessibleInterface;
class QWidget;

// The interface of a control of one of these kinds, or nothing for the others.
QAccessibleInterface *DescribeControl(const QString &className, QWidget *widget);
