#pragma once

// The empty polymorphic root of images, vertex maps and stream holders.
class ObjectBase {
public:
    virtual ~ObjectBase() = default;
};
