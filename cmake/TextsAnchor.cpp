// A library needs one source file; the texts themselves are compiled into its resources.
