// Holds the program's compiled translations; the library exists so that tests link the same
// texts as the program.
