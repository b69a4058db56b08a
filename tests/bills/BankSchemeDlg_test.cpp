// The import scheme window: filled in below.
