#pragma once

#include <QString>
#include <QUrl>

#include <functional>

// Shows a document (the help PDF) in the desktop's default viewer. Returns false when the
// file does not exist or the desktop refuses; returns at once and never waits for the viewer.
bool openDocument(const QString& path);

// Replaces the desktop for tests: the function receives the file URL and answers as the
// desktop would. An empty function restores the desktop.
void setDocumentOpenerForTests(std::function<bool(const QUrl&)> opener);
