// Placeholder source for a folder that has no code yet.
