// Holds the compiled texts of the shared interface pieces.
