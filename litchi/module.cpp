// korvale_litchi
