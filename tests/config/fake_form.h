#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "config/named_objects.h"

namespace quay::test {

// A window of plain objects with string properties, in place of real widgets.
class FakeObject : public NamedObject {
public:
    FakeObject(std::string name, std::vector<std::pair<std::string, std::string>> properties)
        : m_name(std::move(name)), m_properties(std::move(properties)) {}

    std::string objectName() const override { return m_name; }
    std::vector<std::string> stringPropertyNames() const override {
        std::vector<std::string> names;
        for (const auto& property : m_properties) {
            names.push_back(property.first);
        }
        return names;
    }
    std::string stringProperty(const std::string& name) const override {
        for (const auto& property : m_properties) {
            if (property.first == name) {
                return property.second;
            }
        }
        return "<no such property>";
    }
    void setStringProperty(const std::string& name, const std::string& value) override {
        for (auto& property : m_properties) {
            if (property.first == name) {
                property.second = value;
                return;
            }
        }
        m_properties.emplace_back("<set unknown> " + name, value);
    }

private:
    std::string m_name;
    std::vector<std::pair<std::string, std::string>> m_properties;
};

class FakeForm : public NamedForm {
public:
    explicit FakeForm(std::string name) : m_name(std::move(name)) {}

    FakeObject& add(std::string name, std::vector<std::pair<std::string, std::string>> props) {
        m_objects.push_back(std::make_unique<FakeObject>(std::move(name), std::move(props)));
        return *m_objects.back();
    }
    std::string formName() const override { return m_name; }
    std::vector<NamedObject*> ownedObjects() override {
        std::vector<NamedObject*> objects;
        for (const auto& object : m_objects) {
            objects.push_back(object.get());
        }
        return objects;
    }

private:
    std::string m_name;
    std::vector<std::unique_ptr<FakeObject>> m_objects;
};

}  // namespace quay::test
