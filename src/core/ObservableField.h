#pragma once

namespace orvane {

// Observable fields publish a change only when the value really changes.
template <typename Object, typename T>
void assignAndNotify(T& field, const T& value, Object* object, void (Object::*changed)()) {
    if (field != value) {
        field = value;
        (object->*changed)();
    }
}

} // namespace orvane
