#pragma once

#include <string>
#include <vector>

namespace quay {

// A window as the translation sees it, independent of the widget toolkit: the window's own
// name and the named objects (controls, menu items) it owns, each with the string
// properties it publishes ("Caption", "Hint", "Text", ...). The Qt layer adapts its widgets
// to this; tests use a plain tree. Multi-line texts use CR LF as the line break.
class NamedObject {
public:
    virtual ~NamedObject() = default;
    virtual std::string objectName() const = 0;
    // The names of the string properties, spelt as published.
    virtual std::vector<std::string> stringPropertyNames() const = 0;
    // name is one of stringPropertyNames(), spelt the same.
    virtual std::string stringProperty(const std::string& name) const = 0;
    virtual void setStringProperty(const std::string& name, const std::string& value) = 0;
};

class NamedForm {
public:
    virtual ~NamedForm() = default;
    // The window's component name (the main window is "_Main").
    virtual std::string formName() const = 0;
    // The objects the window owns, in creation order; the window itself is not among them.
    // The pointers stay valid until the window changes its set of objects.
    virtual std::vector<NamedObject*> ownedObjects() = 0;
};

}  // namespace quay
