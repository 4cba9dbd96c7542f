Test.Check True, "placeholder"
