#include "orvane/sample/MainWindow.h"

#include "orvane/application/Application.h"

namespace orvane::sample {

MainWindow::MainWindow() {
    setTitle("Orvane");
    setSize({300.0f, 300.0f});
    minimumSize = {256.0f, 256.0f};
}

bool MainWindow::closeRequested() {
    application::Application* application = application::Application::getApplication();
    if (application && application->quit())
        return true;
    return gui::Window::closeRequested();
}

types::String MainWindow::getClassName() const {
    return object::classPath(gui::Window::getClassName(), ":MainWindow");
}

} // namespace orvane::sample
