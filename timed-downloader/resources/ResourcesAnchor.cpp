// Holds the program's compiled translations.
