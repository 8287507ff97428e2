// module litchi
